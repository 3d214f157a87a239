// Writing classifications as JSON objects and CSV rows.
#include "JsonWriter.h"

#include "CoxeterReport.h"

#include <cstdio>
#include <span>

using namespace core;

namespace bigraph {

namespace {

// Length of the UTF-8 sequence starting at text[k], or 0 when it is not a valid one.
std::size_t utf8Length(const std::string& text, std::size_t k) {
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char c = byte(k);
  std::size_t length;
  unsigned lowest;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) length = 2, lowest = 0x80;
  else if (c >= 0xE0 && c <= 0xEF) length = 3, lowest = 0x800;
  else if (c >= 0xF0 && c <= 0xF4) length = 4, lowest = 0x10000;
  else return 0;
  if (k + length > text.size()) return 0;
  unsigned cp = c & (0x7F >> length);
  for (std::size_t m = 1; m < length; ++m) {
    if ((byte(k + m) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(k + m) & 0x3F);
  }
  if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

void appendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    default: break;
  }
  char code[8];
  std::snprintf(code, sizeof code, "\\u%04x", c);
  out += code;
}

std::string number(const BigInteger& x) { return bigIntegerToString(x); }

std::string vectorJson(std::span<const BigInteger> v) {
  std::string out = "[";
  for (std::size_t k = 0; k < v.size(); ++k) {
    if (k > 0) out += ", ";
    out += number(v[k]);
  }
  return out + "]";
}

// A matrix or a list of vectors, row by row.
template <class Rows>
std::string matrixJson(const Rows& m) {
  std::string out = "[";
  for (std::size_t k = 0; k < m.size(); ++k) {
    if (k > 0) out += ", ";
    out += vectorJson(m[k]);
  }
  return out + "]";
}

std::string boolJson(bool b) { return b ? "true" : "false"; }

template <class T, class F>
std::string optionalJson(const std::optional<T>& value, F write) {
  return value ? write(*value) : std::string("null");
}

std::string pairsJson(const std::vector<std::pair<int, int>>& pairs) {
  std::string out = "[";
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    if (k > 0) out += ", ";
    out += '[';
    out += std::to_string(pairs[k].first);
    out += ", ";
    out += std::to_string(pairs[k].second);
    out += ']';
  }
  return out + "]";
}

std::string runJson(const RunReport& run) {
  std::string out = "{\"rule\": " + jsonString(edgeRuleName(run.rule));
  out += ", \"seed\": ";
  out += optionalJson(run.seed, [](std::uint32_t s) { return std::to_string(s); });
  out += ", \"steps\": " + std::to_string(run.steps);
  out += ", \"ended\": " + jsonString(runEndName(run.end));
  out += ", \"period\": " + optionalJson(run.period, [](std::uint64_t p) { return std::to_string(p); });
  out += ", \"error\": " + optionalJson(run.error, jsonString);
  out += ", \"shape\": " + jsonString(run.shape);
  out += ", \"pairs\": " + pairsJson(run.pairs);
  out += ", \"result\": " + matrixJson(run.result);
  out += ", \"certificate\": " + optionalJson(run.certificate, matrixJson<GramMatrix>);
  out += ", \"verified\": " + optionalJson(run.verification, [](const Verification& v) {
    return jsonString(v.holds ? verificationName(v) : "failed");
  });
  return out + "}";
}

std::string normalFormJson(const NormalForm& nf, bool withCertificate) {
  std::string out = "{\"name\": " + jsonString(nf.name);
  out += ", \"corank\": " + std::to_string(nf.corank);
  out += ", \"gram\": " + matrixJson(nf.gram);
  out += ", \"certificate\": " + (withCertificate ? matrixJson(nf.certificate) : "null");
  out += ", \"verified\": ";
  out += withCertificate ? "\"exact\"" : "null";
  return out + "}";
}

// The members of the classify object, without the braces; the Coxeter matrix only in the
// classify object itself (a sweep line stays short).
std::string classificationMembers(const Classification& c, bool withCoxeterMatrix) {
  const Invariants& inv = c.invariants;
  std::string out = "\"gram\": " + matrixJson(c.gram);
  out += ", \"vertices\": " + std::to_string(inv.vertices);
  out += ", \"dotted_edges\": " + number(c.dottedEdges);
  out += ", \"solid_edges\": " + number(c.solidEdges);
  out += ", \"loop_free\": " + boolJson(inv.loopFree);
  out += ", \"connected\": " + boolJson(inv.components <= 1);
  out += ", \"components\": " + std::to_string(inv.components);
  out += ", \"signature\": [" + std::to_string(inv.signature.positive) + ", " +
         std::to_string(inv.signature.zero) + ", " + std::to_string(inv.signature.negative) + "]";
  out += ", \"definiteness\": " + jsonString(definitenessName(inv.definiteness));
  out += ", \"corank\": " + std::to_string(inv.corank);
  out += ", \"det\": " + number(inv.det);
  out += ", \"dynkin_type\": " + optionalJson(inv.dynkinType, [](const DiagramSum& t) { return jsonString(t.dynkinName()); });
  out += ", \"kernel\": " + matrixJson(inv.kernel);
  out += ", \"witness\": " + optionalJson(inv.witness, vectorJson);
  out += ", \"normal_form\": " + optionalJson(c.normalForm, [&](const NormalForm& nf) {
    return normalFormJson(nf, c.showCertificate);
  });
  if (c.coxeterAsked) {
    out += ", \"coxeter\": " + optionalJson(c.coxeter, [&](const CoxeterData& d) {
      return coxeterObjectJson(d, withCoxeterMatrix);
    });
    out += ", \"roots\": " + optionalJson(c.roots, rootCountsJson);
  }
  out += ", \"run\": " + optionalJson(c.run, runJson);
  return out;
}

std::string optionalInt(const std::optional<int>& v) {
  return v ? std::to_string(*v) : std::string("null");
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t k = 0; k < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[k]);
    const std::size_t length = utf8Length(text, k);
    if (length == 0) {
      // A byte that is not UTF-8 (a file name may hold any) as the lone surrogate U+DC80 +
      // byte, the usual way to carry raw bytes through text; the reader turns it back.
      char code[8];
      std::snprintf(code, sizeof code, "\\udc%02x", c);
      out += code;
      ++k;
    } else if (c < 0x20 || c == '"' || c == '\\') {
      appendEscaped(out, c);
      ++k;
    } else {
      out.append(text, k, length);
      k += length;
    }
  }
  return out + "\"";
}

std::string classificationJson(const Classification& c) {
  std::string out = "{";
  out += classificationMembers(c, true);
  return out += '}';
}

std::string sweepJsonLine(const InputItem& item, const SweepRecord& record,
                          const Classification& c) {
  return "{\"input\": " + jsonString(item.name) + ", \"item\": " + std::to_string(record.item) +
         ", \"options\": " + jsonString(record.options) + ", \"n\": " +
         optionalInt(item.nakayamaN) + ", \"r\": " + optionalInt(item.nakayamaR) + ", " +
         classificationMembers(c, false) + "}";
}

std::string integerListJson(std::span<const BigInteger> v) { return vectorJson(v); }
std::string integerMatrixJson(const GramMatrix& m) { return matrixJson(m); }

std::string csvHeader(bool withCoxeter) {
  return std::string(
             "input,item,options,seed,n,r,vertices,definiteness,corank,det,dynkin_type,normal_form,"
             "steps,ended,shape,") +
         (withCoxeter ? "coxeter_polynomial," : "") + "seconds";
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string csvRow(const InputItem& item, const SweepRecord& record, const Classification& c,
                   double seconds) {
  const Invariants& inv = c.invariants;
  auto opt = [](const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); };
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", seconds);
  const std::string fields[] = {csvField(item.name),
                                std::to_string(record.item),
                                csvField(record.options),
                                record.seed ? std::to_string(*record.seed) : std::string(),
                                opt(item.nakayamaN),
                                opt(item.nakayamaR),
                                std::to_string(inv.vertices),
                                definitenessName(inv.definiteness),
                                std::to_string(inv.corank),
                                number(inv.det),
                                csvField(inv.dynkinType ? inv.dynkinType->dynkinName() : ""),
                                c.normalForm ? csvField(c.normalForm->name) : std::string(),
                                c.run ? std::to_string(c.run->steps) : std::string(),
                                c.run ? runEndName(c.run->end) : "",
                                c.run ? csvField(c.run->shape) : std::string()};
  std::string row;
  for (const std::string& field : fields) {
    if (!row.empty() || &field != fields) row += ',';
    row += field;
  }
  if (c.coxeterAsked) {
    row += ',';
    if (c.coxeter) row += polynomialWords(c.coxeter->polynomial);
  }
  row += ',';
  return row += time;
}

}  // namespace bigraph
