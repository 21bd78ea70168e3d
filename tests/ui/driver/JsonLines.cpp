// A small JSON reader for the record files of the stand-in tools: one JSON
// value per line, flattened into the scalar texts scenarios compare.

#include <cstdint>

#include "runtime/Exceptions.h"
#include "tests/ui/driver/Files.h"

namespace varnel::ui {

namespace {

class Reader {
 public:
  Reader(std::string_view text, JsonLine& line) : text_(text), line_(line) {}

  void Document() {
    SkipBlanks();
    if (Peek() == '{') {
      Object(true);
    } else {
      Value(nullptr);
    }
    SkipBlanks();
    if (at_ != text_.size()) Fail("text after the value");
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw EConvertError(u"Malformed JSON line (" + FromUtf8(what) + u") at column " +
                        IntToStr(static_cast<std::int64_t>(at_ + 1)));
  }
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
  void Expect(char c) {
    SkipBlanks();
    if (Peek() != c) Fail("unexpected character");
    ++at_;
  }
  void SkipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
      ++at_;
  }

  // `field`: the top-level member this value belongs to, if any.
  void Value(const String* field) {
    SkipBlanks();
    const char c = Peek();
    if (c == '{') {
      Object(false);
    } else if (c == '[') {
      ++at_;
      SkipBlanks();
      if (Peek() == ']') {
        ++at_;
        return;
      }
      for (;;) {
        Value(field);
        SkipBlanks();
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect(']');
        return;
      }
    } else {
      String scalar = c == '"' ? StringLiteral() : Bare();
      if (field) line_.Fields.emplace_back(*field, scalar);
      line_.Values.push_back(std::move(scalar));
    }
  }

  void Object(bool topLevel) {
    Expect('{');
    SkipBlanks();
    if (Peek() == '}') {
      ++at_;
      return;
    }
    for (;;) {
      SkipBlanks();
      if (Peek() != '"') Fail("member name expected");
      const String name = StringLiteral();
      Expect(':');
      Value(topLevel ? &name : nullptr);
      SkipBlanks();
      if (Peek() == ',') {
        ++at_;
        continue;
      }
      Expect('}');
      return;
    }
  }

  String Bare() {
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != ']' && text_[at_] != '}' &&
           text_[at_] != ' ' && text_[at_] != '\t' && text_[at_] != '\r' && text_[at_] != '\n')
      ++at_;
    const std::string_view word = text_.substr(start, at_ - start);
    if (word.empty()) Fail("value expected");
    const bool number = word.find_first_not_of("+-0123456789.eE") == std::string_view::npos;
    if (!number && word != "true" && word != "false" && word != "null") Fail("unknown word");
    return FromUtf8(word);
  }

  unsigned Hex4() {
    if (at_ + 4 > text_.size()) Fail("short \\u escape");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      value <<= 4;
      if (c >= '0' && c <= '9')
        value |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        value |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        value |= static_cast<unsigned>(c - 'A' + 10);
      else
        Fail("bad \\u escape");
    }
    return value;
  }

  String StringLiteral() {
    ++at_;  // the opening quote
    String result;
    std::string run;  // undecoded UTF-8 since the last escape
    for (;;) {
      if (at_ >= text_.size()) Fail("unterminated string");
      const char c = text_[at_++];
      if (c == '"') break;
      if (c != '\\') {
        run.push_back(c);
        continue;
      }
      result += FromUtf8(run);
      run.clear();
      if (at_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[at_++];
      switch (e) {
        case '"':
          result.push_back(u'"');
          break;
        case '\\':
          result.push_back(u'\\');
          break;
        case '/':
          result.push_back(u'/');
          break;
        case 'b':
          result.push_back(u'\b');
          break;
        case 'f':
          result.push_back(u'\f');
          break;
        case 'n':
          result.push_back(u'\n');
          break;
        case 'r':
          result.push_back(u'\r');
          break;
        case 't':
          result.push_back(u'\t');
          break;
        case 'u':
          result.push_back(static_cast<char16_t>(Hex4()));
          break;
        default:
          Fail("unknown escape");
      }
    }
    return result + FromUtf8(run);
  }

  std::string_view text_;
  std::size_t at_ = 0;
  JsonLine& line_;
};

}  // namespace

String JsonLine::Field(StringView name) const {
  for (const auto& [key, value] : Fields)
    if (key == name) return value;
  return {};
}

std::vector<String> JsonLine::FieldAll(StringView name) const {
  std::vector<String> all;
  for (const auto& [key, value] : Fields)
    if (key == name) all.push_back(value);
  return all;
}

JsonLine ParseJsonLine(std::string_view utf8) {
  JsonLine line;
  Reader(utf8, line).Document();
  return line;
}

std::vector<JsonLine> ReadJsonLines(const String& path) {
  std::vector<JsonLine> lines;
  if (!FileExists(path)) return lines;
  const std::string bytes = ReadFileBytes(path);
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string_view row(bytes.data() + start, end - start);
    if (row.find_first_not_of(" \t\r") != std::string_view::npos)
      lines.push_back(ParseJsonLine(row));
    start = end + 1;
  }
  return lines;
}

}  // namespace varnel::ui
