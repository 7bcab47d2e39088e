// Text form -> binary form: a single-pass parser that writes the binary stream as it goes.
#include "streaming/ObjectText.h"

#include "streaming/StreamErrors.h"
#include "streaming/TextRule.h"
#include "streaming/ValueWriter.h"

#include <QIODevice>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <future>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}
bool IsIdentStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
bool IsBlank(char c) { return c != 0 && static_cast<unsigned char>(c) <= ' '; }

bool SameWord(std::string_view word, std::string_view keyword) {
  if (word.size() != keyword.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if ((word[i] | 0x20) != keyword[i]) return false;
  return true;
}

enum class TFloatSuffix { None, Single, Currency, Date };

// The decimal text times 10000, rounded to nearest (ties to even), exactly.
bool ParseCurrencyScaled(std::string_view text, int64_t& result) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  std::string digits;
  long exponent = 4;  // scale by 10^4
  size_t i = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) digits += text[i];
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      digits += text[i];
      --exponent;
    }
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    long e = 0;
    const char* first = text.data() + i + 1;
    if (first < text.data() + text.size() && *first == '+') ++first;
    auto r = std::from_chars(first, text.data() + text.size(), e);
    if (r.ec != std::errc() || e > 100 || e < -100) return false;
    exponent += e;
  }
  const size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) {
    result = 0;
    return true;
  }
  const std::string_view significant = std::string_view(digits).substr(firstNonZero);
  std::string_view kept = significant;
  bool roundUp = false;
  if (exponent < 0) {
    const size_t drop = static_cast<size_t>(-exponent);
    if (drop > significant.size()) {
      kept = {};
    } else {
      kept = significant.substr(0, significant.size() - drop);
      const std::string_view dropped = significant.substr(significant.size() - drop);
      const bool restNonZero = dropped.find_first_not_of('0', 1) != std::string_view::npos;
      const bool lastOdd = !kept.empty() && ((kept.back() - '0') & 1);
      roundUp = dropped[0] > '5' || (dropped[0] == '5' && (restNonZero || lastOdd));
    }
  } else if (significant.size() + static_cast<size_t>(exponent) > 19) {
    return false;
  }
  if (kept.size() > 19) return false;
  uint64_t magnitude = 0;
  for (char d : kept) magnitude = magnitude * 10 + static_cast<uint64_t>(d - '0');
  if (exponent > 0)
    for (long k = 0; k < exponent; ++k) magnitude *= 10;
  if (roundUp) ++magnitude;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (magnitude > limit) return false;
  result = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

class TTextToBinaryConverter {
public:
  TTextToBinaryConverter(const QByteArray& text, QByteArray& out)
      : FPos(text.constData()), FEnd(text.constData() + text.size()), FWriter(out) {
    if (text.startsWith("\xEF\xBB\xBF")) FPos += 3;
  }

  // Converts the whole text, or with stopAt only the part of it before that position,
  // which must be where one of the root's children starts.
  void Convert(const char* stopAt = nullptr) {
    FStopAt = stopAt;
    try {
      FWriter.WriteSignature();
      SkipBlanks();
      const std::string_view keyword = PeekWord();
      if (!IsObjectKeyword(keyword)) Error("''object'' expected");
      ConvertObject();
    } catch (const EWriteError& e) {
      Error(e.Message());
    }
    if (FStopAt && !FStopped) throw TPieceMisaligned{};
  }

  // Converts the root's children from begin, the start of one of them, up to stopAt (the
  // start of a later one) or, with no stopAt, through the root's "end".
  static QByteArray ConvertPiece(const char* begin, const char* end, const char* stopAt) {
    QByteArray out;
    out.reserve((end - begin) / 2 + 64);
    TTextToBinaryConverter piece(begin, end, out);
    piece.FStopAt = stopAt;
    TDepthGuard root(piece);
    piece.ConvertChildren();
    if (stopAt && !piece.FStopped) throw TPieceMisaligned{};
    return out;
  }

  // A piece boundary that turned out not to be the start of a root's child.
  struct TPieceMisaligned {};

private:
  // ---- scanning ----
  [[noreturn]] void Error(const QString& message) const {
    throw EParserError(QStringLiteral("%1 on line %2").arg(message).arg(FLine));
  }
  [[noreturn]] void Error(const char* message) const { Error(QString::fromLatin1(message)); }
  [[noreturn]] void ExpectedError(std::string_view what) const {
    Error(QStringLiteral("''%1'' expected").arg(QString::fromLatin1(what.data(), static_cast<qsizetype>(what.size()))));
  }

  bool AtEnd() const { return FPos >= FEnd; }
  char Current() const { return FPos < FEnd ? *FPos : '\0'; }
  char At(size_t offset) const { return FPos + offset < FEnd ? FPos[offset] : '\0'; }

  void SkipBlanks() {
    while (FPos < FEnd && IsBlank(*FPos)) {
      if (*FPos == '\n' || (*FPos == '\r' && At(1) != '\n')) ++FLine;
      ++FPos;
    }
  }

  // The identifier at the current position without consuming it (empty when none).
  std::string_view PeekWord() const {
    const char* p = FPos;
    if (p >= FEnd || !IsIdentStart(*p)) return {};
    while (p < FEnd && IsIdentChar(*p)) ++p;
    return {FPos, static_cast<size_t>(p - FPos)};
  }

  std::string_view ScanIdent(bool allowDots) {
    if (AtEnd() || !IsIdentStart(*FPos)) Error("Identifier expected");
    const char* start = FPos;
    for (;;) {
      while (FPos < FEnd && IsIdentChar(*FPos)) ++FPos;
      if (allowDots && FPos + 1 < FEnd && *FPos == '.' && IsIdentStart(FPos[1])) {
        ++FPos;
        continue;
      }
      break;
    }
    const std::string_view ident(start, static_cast<size_t>(FPos - start));
    if (ident.size() > static_cast<size_t>(kMaxShortStringBytes)) Error("Line too long");
    return ident;
  }

  void Expect(char c) {
    SkipBlanks();
    if (Current() != c || AtEnd()) ExpectedError(std::string_view(&c, 1));
    ++FPos;
  }

  static bool IsObjectKeyword(std::string_view word) {
    return SameWord(word, "object") || SameWord(word, "inherited") || SameWord(word, "inline");
  }

  // A keyword that starts a property line ("End = 3", "Item.Color = 1") is a property name.
  bool IsKeywordHere(std::string_view keyword) const {
    const std::string_view word = PeekWord();
    if (!SameWord(word, keyword)) return false;
    const char* p = FPos + word.size();
    while (p < FEnd && (*p == ' ' || *p == '\t')) ++p;
    return !(p < FEnd && (*p == '=' || *p == '.'));
  }
  bool IsObjectKeywordHere() const {
    return IsKeywordHere("object") || IsKeywordHere("inherited") || IsKeywordHere("inline");
  }

  // What starts the line at the current position inside an object: a nested object, its
  // end, or (most lines) a property. One scan of the word instead of one per keyword.
  enum class TLineStart { Property, Object, End };
  TLineStart LineStartHere() const {
    const std::string_view word = PeekWord();
    const bool end = SameWord(word, "end");
    if (!end && !IsObjectKeyword(word)) return TLineStart::Property;
    const char* p = FPos + word.size();
    while (p < FEnd && (*p == ' ' || *p == '\t')) ++p;
    if (p < FEnd && (*p == '=' || *p == '.')) return TLineStart::Property;  // "End = 3" names a property
    return end ? TLineStart::End : TLineStart::Object;
  }

  class TDepthGuard {
  public:
    explicit TDepthGuard(TTextToBinaryConverter& parser) : FParser(parser) {
      if (FParser.FDepth >= kMaxNestingDepth) FParser.Error(StreamMessages::kNestingTooDeep);
      ++FParser.FDepth;
    }
    ~TDepthGuard() { --FParser.FDepth; }

  private:
    TTextToBinaryConverter& FParser;
  };

  // ---- grammar ----
  void ConvertObject() {
    TDepthGuard guard(*this);
    const int headerLine = FLine;
    const std::string_view keyword = ScanIdent(false);
    uint8_t flags = 0;
    if (SameWord(keyword, "inherited")) flags |= ofInherited;
    else if (SameWord(keyword, "inline")) flags |= ofInline;
    SkipBlanks();
    std::string_view objectName;
    std::string_view className = ScanIdent(false);
    SkipBlanks();
    if (Current() == ':' && !AtEnd()) {
      ++FPos;
      SkipBlanks();
      objectName = className;
      className = ScanIdent(false);
      SkipBlanks();
    }
    int32_t childPos = 0;
    if (Current() == '[' && !AtEnd()) {
      ++FPos;
      SkipBlanks();
      const int64_t position = ScanIntegerLiteral();
      if (position < std::numeric_limits<int32_t>::min() || position > std::numeric_limits<int32_t>::max())
        Error(StreamMessages::kInvalidPropertyValue);
      childPos = static_cast<int32_t>(position);
      flags |= ofChildPos;
      Expect(']');
    }
    try {
      FWriter.WriteObjectHeader(flags, childPos, className, objectName);
    } catch (const EWriteError& e) {
      FLine = headerLine;
      Error(e.Message());
    }

    for (;;) {
      SkipBlanks();
      if (AtEnd()) ExpectedError("end");
      if (LineStartHere() != TLineStart::Property) break;
      ConvertProperty();
    }
    FWriter.WriteEndOfList();
    ConvertChildren();
  }

  // The children of an object and its "end". A piece that stops at FStopAt leaves the
  // root's list open for the next piece.
  void ConvertChildren() {
    for (;;) {
      SkipBlanks();
      if (FStopAt && FDepth == 1 && FPos >= FStopAt) {
        if (FPos != FStopAt) throw TPieceMisaligned{};
        FStopped = true;
        return;
      }
      if (IsKeywordHere("end")) break;
      if (!IsObjectKeywordHere()) ExpectedError("end");
      ConvertObject();
      if (FStopped) return;
    }
    ScanIdent(false);
    FWriter.WriteEndOfList();
  }

  void ConvertProperty() {
    const std::string_view name = ScanIdent(true);
    Expect('=');
    FWriter.WriteShortString(name);
    SkipBlanks();
    ConvertValue();
  }

  void ConvertValue() {
    const char c = Current();
    if (AtEnd()) Error(StreamMessages::kInvalidPropertyValue);
    if (c == '\'' || c == '#') ConvertString();
    else if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && (IsDigit(At(1)) || At(1) == '$'))) ConvertNumber();
    else if (c == '(') ConvertList();
    else if (c == '[') ConvertSet();
    else if (c == '<') ConvertCollection();
    else if (c == '{') ConvertBinary();
    else if (IsIdentStart(c)) FWriter.WriteIdent(ScanIdent(true));
    else Error(StreamMessages::kInvalidPropertyValue);
  }

  void ConvertList() {
    TDepthGuard guard(*this);
    ++FPos;
    FWriter.WriteListBegin();
    for (;;) {
      SkipBlanks();
      if (AtEnd()) ExpectedError(")");
      if (Current() == ')') break;
      ConvertValue();
    }
    ++FPos;
    FWriter.WriteListEnd();
  }

  void ConvertSet() {
    ++FPos;
    FWriter.WriteSetBegin();
    SkipBlanks();
    if (Current() == ']' && !AtEnd()) {
      ++FPos;
    } else {
      for (;;) {
        SkipBlanks();
        FWriter.WriteSetElement(ScanIdent(false));
        SkipBlanks();
        if (Current() == ',' && !AtEnd()) {
          ++FPos;
          continue;
        }
        if (Current() == ']' && !AtEnd()) {
          ++FPos;
          break;
        }
        ExpectedError("]");
      }
    }
    FWriter.WriteSetEnd();
  }

  void ConvertCollection() {
    TDepthGuard guard(*this);
    ++FPos;
    FWriter.WriteTag(vaCollection);
    for (;;) {
      SkipBlanks();
      if (Current() == '>' && !AtEnd()) break;
      if (!SameWord(PeekWord(), "item")) ExpectedError("item");
      ScanIdent(false);
      SkipBlanks();
      if (Current() == '[' && !AtEnd()) {
        ++FPos;
        SkipBlanks();
        FWriter.WriteInteger(ScanIntegerLiteral());
        Expect(']');
      }
      FWriter.WriteByte(vaList);
      for (;;) {
        SkipBlanks();
        if (AtEnd()) ExpectedError("end");
        if (IsKeywordHere("end")) break;
        ConvertProperty();
      }
      ScanIdent(false);
      FWriter.WriteEndOfList();
    }
    ++FPos;
    FWriter.WriteEndOfList();
  }

  void ConvertBinary() {
    const int startLine = FLine;
    ++FPos;
    QByteArray& out = FWriter.Buffer();
    FWriter.WriteTag(vaBinary);
    const qsizetype countAt = out.size();
    FWriter.WriteInt32Raw(0);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) {
        FLine = startLine;
        Error("Invalid binary value");
      }
      if (*FPos == '}') break;
      if (!IsHexDigit(*FPos) || !IsHexDigit(At(1))) Error("Invalid binary value");
      out.append(static_cast<char>((HexValue(FPos[0]) << 4) | HexValue(FPos[1])));
      FPos += 2;
    }
    ++FPos;
    const qsizetype count = out.size() - countAt - 4;
    if (count > std::numeric_limits<int32_t>::max()) Error(StreamMessages::kStreamWriteError);
    for (int i = 0; i < 4; ++i) out[countAt + i] = static_cast<char>(static_cast<uint32_t>(count) >> (8 * i));
  }

  // ---- strings ----
  void SwitchToWide() {
    if (FWideMode) return;
    FWideMode = true;
    FWide.clear();
    for (char c : FAscii) FWide.push_back(static_cast<unsigned char>(c));
  }

  void AppendRun(std::string_view run) {
    if (!FWideMode && IsAscii(run)) {
      FAscii.append(run);
      return;
    }
    SwitchToWide();
    if (!DecodeUtf8(run, FWide)) Error("Invalid string constant");
  }

  void AppendCode(uint32_t code) {
    if (!FWideMode && code < 0x80) {
      FAscii.push_back(static_cast<char>(code));
      return;
    }
    SwitchToWide();
    FWide.push_back(static_cast<char16_t>(code));
  }

  void ScanQuotedRun() {
    ++FPos;  // opening apostrophe
    for (;;) {
      const char* start = FPos;
      while (FPos < FEnd && *FPos != '\'' && *FPos != '\r' && *FPos != '\n') ++FPos;
      AppendRun({start, static_cast<size_t>(FPos - start)});
      if (AtEnd() || *FPos != '\'') Error("Invalid string constant");
      ++FPos;
      if (Current() == '\'' && !AtEnd()) {  // a doubled apostrophe stands for one
        AppendCode('\'');
        ++FPos;
        continue;
      }
      return;
    }
  }

  void ScanCharCode() {
    ++FPos;  // '#'
    uint32_t code = 0;
    int digits = 0;
    if (Current() == '$' && !AtEnd()) {
      ++FPos;
      while (FPos < FEnd && IsHexDigit(*FPos)) {
        code = code * 16 + static_cast<uint32_t>(HexValue(*FPos++));
        if (++digits > 4) Error("Invalid string constant");
      }
    } else {
      while (FPos < FEnd && IsDigit(*FPos)) {
        code = code * 10 + static_cast<uint32_t>(*FPos++ - '0');
        if (++digits > 5) Error("Invalid string constant");
      }
    }
    if (digits == 0 || code > 0xFFFF) Error("Invalid string constant");
    AppendCode(code);
  }

  void ConvertString() {
    FAscii.clear();
    FWide.clear();
    FWideMode = false;
    for (;;) {
      while (!AtEnd() && (*FPos == '\'' || *FPos == '#')) {
        if (*FPos == '\'') ScanQuotedRun();
        else ScanCharCode();
      }
      SkipBlanks();
      if (Current() != '+' || AtEnd()) break;
      ++FPos;
      SkipBlanks();
      if (AtEnd() || (*FPos != '\'' && *FPos != '#')) Error("String expected");
    }
    if (FWideMode) FWriter.WriteText(std::u16string_view(FWide));
    else FWriter.WriteAsciiText(FAscii);
  }

  // ---- numbers ----
  int64_t ScanIntegerLiteral() {
    const char* start = FPos;
    bool negative = false;
    if (Current() == '-' || Current() == '+') {
      negative = *FPos == '-';
      ++FPos;
    }
    if (Current() == '$' && !AtEnd()) {
      ++FPos;
      uint64_t value = 0;
      int digits = 0;
      while (FPos < FEnd && IsHexDigit(*FPos)) {
        value = value * 16 + static_cast<uint64_t>(HexValue(*FPos++));
        if (++digits > 16) Error(StreamMessages::kInvalidPropertyValue);
      }
      if (digits == 0) {
        FPos = start;
        Error("Number expected");
      }
      const auto signedValue = static_cast<int64_t>(value);
      return negative ? static_cast<int64_t>(0 - value) : signedValue;
    }
    const char* digitsStart = FPos;
    while (FPos < FEnd && IsDigit(*FPos)) ++FPos;
    if (FPos == digitsStart) {
      FPos = start;
      Error("Number expected");
    }
    int64_t value = 0;
    auto r = std::from_chars(negative ? digitsStart - 1 : digitsStart, FPos, value);
    if (r.ec != std::errc()) Error(StreamMessages::kInvalidPropertyValue);
    return value;
  }

  void ConvertNumber() {
    const char* start = FPos;
    if (Current() == '$' || ((Current() == '-' || Current() == '+') && At(1) == '$')) {
      FWriter.WriteInteger(ScanIntegerLiteral());
      return;
    }
    if (*FPos == '-' || *FPos == '+') ++FPos;
    while (FPos < FEnd && IsDigit(*FPos)) ++FPos;
    bool isFloat = false;
    if (Current() == '.' && !AtEnd()) {
      isFloat = true;
      ++FPos;
      while (FPos < FEnd && IsDigit(*FPos)) ++FPos;
    }
    if ((Current() == 'e' || Current() == 'E') &&
        (IsDigit(At(1)) || ((At(1) == '+' || At(1) == '-') && IsDigit(At(2))))) {
      isFloat = true;
      FPos += 2;
      while (FPos < FEnd && IsDigit(*FPos)) ++FPos;
    }
    const char* numberEnd = FPos;
    TFloatSuffix suffix = TFloatSuffix::None;
    if (!IsIdentChar(At(1))) {
      switch (Current() | 0x20) {
        case 's': suffix = TFloatSuffix::Single; break;
        case 'c': suffix = TFloatSuffix::Currency; break;
        case 'd': suffix = TFloatSuffix::Date; break;
        default: break;
      }
      if (AtEnd()) suffix = TFloatSuffix::None;
    }
    if (suffix != TFloatSuffix::None) ++FPos;

    const char* first = (*start == '+') ? start + 1 : start;
    const std::string_view number(first, static_cast<size_t>(numberEnd - first));
    if (!isFloat && suffix == TFloatSuffix::None) {
      int64_t value = 0;
      auto r = std::from_chars(number.data(), number.data() + number.size(), value);
      if (r.ec != std::errc()) Error(StreamMessages::kInvalidPropertyValue);
      FWriter.WriteInteger(value);
      return;
    }
    WriteFloat(number, suffix);
  }

  void WriteFloat(std::string_view number, TFloatSuffix suffix) {
    const char* first = number.data();
    const char* last = number.data() + number.size();
    switch (suffix) {
      case TFloatSuffix::Currency: {
        int64_t scaled = 0;
        if (!ParseCurrencyScaled(number, scaled)) Error(StreamMessages::kInvalidPropertyValue);
        FWriter.WriteCurrency(scaled);
        return;
      }
      case TFloatSuffix::Single: {
        float value = 0;
        auto r = std::from_chars(first, last, value);
        if (r.ec != std::errc() || r.ptr != last || !std::isfinite(value)) Error(StreamMessages::kInvalidPropertyValue);
        FWriter.WriteSingle(value);
        return;
      }
      default: {
        double value = 0;
        auto r = std::from_chars(first, last, value);
        if (r.ec != std::errc() || r.ptr != last || !std::isfinite(value)) Error(StreamMessages::kInvalidPropertyValue);
        if (suffix == TFloatSuffix::Date) FWriter.WriteDate(value);
        else FWriter.WriteExtended(value);
        return;
      }
    }
  }

  TTextToBinaryConverter(const char* begin, const char* end, QByteArray& out) : FPos(begin), FEnd(end), FWriter(out) {}

  const char* FPos;
  const char* FEnd;
  const char* FStopAt = nullptr;
  bool FStopped = false;
  int FLine = 1;
  int FDepth = 0;
  TValueWriter FWriter;
  std::string FAscii;
  std::u16string FWide;
  bool FWideMode = false;
};

}  // namespace

namespace {

// Below this size a text converts faster than threads start.
constexpr qsizetype MinPieceTextBytes = 1 << 20;
// About this much text goes into one piece: a reader waits for little more than the first.
constexpr qsizetype PieceTextBytes = 1 << 20;
constexpr size_t MaxPieces = 256;

// Where pieces start after the first: at children of the root as the writer lays them out
// (two spaces in), near equal shares of the text.
std::vector<const char*> PieceStarts(const QByteArray& text) {
  std::vector<const char*> starts;
  if (text.size() < MinPieceTextBytes) return starts;
  const size_t pieces = std::clamp<size_t>(static_cast<size_t>(text.size() / PieceTextBytes), 2, MaxPieces);
  static constexpr char RootChild[] = "\n  object ";
  qsizetype from = 0;
  for (size_t i = 1; i < pieces; ++i) {
    const qsizetype at = text.indexOf(RootChild, std::max(from, static_cast<qsizetype>(text.size() * i / pieces)));
    if (at < 0) break;
    from = at + 1;
    starts.push_back(text.constData() + at + 3);  // the "object" word
  }
  return starts;
}

}  // namespace

struct TTextToBinaryPieces::TState {
  QByteArray Text;  // shares the caller's bytes and keeps them alive for the workers
  std::vector<const char*> Starts;  // of pieces 1..n-1
  std::vector<std::promise<QByteArray>> Results;
  std::vector<std::future<QByteArray>> Ready;
  std::vector<std::thread> Workers;
  std::atomic<bool> Stop{false};
  size_t NextPiece = 0;

  // What a piece holds when the workers stopped before converting it.
  struct TNotConverted {};

  QByteArray Convert(size_t piece) const {
    const char* stopAt = piece < Starts.size() ? Starts[piece] : nullptr;
    if (piece == 0) {
      QByteArray first;
      first.reserve(static_cast<qsizetype>(Starts.front() - Text.constData()) / 2 + 64);
      TTextToBinaryConverter(Text, first).Convert(stopAt);
      return first;
    }
    return TTextToBinaryConverter::ConvertPiece(Starts[piece - 1], Text.constData() + Text.size(), stopAt);
  }

  // Worker w converts pieces w, w + count, w + 2 count... so pieces finish about in order.
  void Work(size_t worker, size_t count) {
    for (size_t piece = worker; piece < Results.size(); piece += count) {
      if (Stop) {
        Results[piece].set_exception(std::make_exception_ptr(TNotConverted{}));
        continue;
      }
      try {
        Results[piece].set_value(Convert(piece));
      } catch (...) {
        Results[piece].set_exception(std::current_exception());
      }
    }
  }
};

TTextToBinaryPieces::TTextToBinaryPieces(const QByteArray& text, unsigned workers) : F(std::make_unique<TState>()) {
  if (workers == 0) return;
  F->Starts = PieceStarts(text);
  if (F->Starts.empty()) return;
  F->Text = text;
  F->Results.resize(F->Starts.size() + 1);
  for (std::promise<QByteArray>& result : F->Results) F->Ready.push_back(result.get_future());
  const size_t count = std::min<size_t>(workers, F->Results.size());
  try {
    for (size_t w = 0; w < count; ++w) F->Workers.emplace_back([state = F.get(), w, count] { state->Work(w, count); });
  } catch (const std::system_error&) {
    // No thread to be had: no pieces, the caller converts in one pass.
    StopWorkers();
    F->Ready.clear();
  }
}

TTextToBinaryPieces::~TTextToBinaryPieces() { StopWorkers(); }

void TTextToBinaryPieces::StopWorkers() {
  F->Stop = true;
  for (std::thread& worker : F->Workers) worker.join();
  F->Workers.clear();
}

bool TTextToBinaryPieces::Empty() const { return F->Ready.empty(); }

bool TTextToBinaryPieces::Next(QByteArray& piece) {
  if (F->NextPiece >= F->Ready.size()) return false;
  try {
    piece = F->Ready[F->NextPiece++].get();
  } catch (...) {
    F->Stop = true;
    throw;
  }
  return true;
}

namespace {

// Threads that convert while nobody reads: one per core, a few at most.
unsigned JoiningWorkers() { return std::min(std::thread::hardware_concurrency(), 4u); }

// The pieces joined; empty when a piece failed (the caller converts in one pass).
QByteArray JoinPieces(TTextToBinaryPieces& pieces) {
  QByteArray binary;
  try {
    QByteArray piece;
    while (pieces.Next(piece)) binary.append(piece);
  } catch (...) {
    return {};
  }
  return binary;
}

}  // namespace

QByteArray ObjectTextToBinary(const QByteArray& text) {
  if (std::thread::hardware_concurrency() > 1) {
    TTextToBinaryPieces pieces(text, JoiningWorkers());
    if (!pieces.Empty()) {
      QByteArray binary = JoinPieces(pieces);
      if (!binary.isEmpty()) return binary;
    }
  }
  QByteArray binary;
  binary.reserve(text.size() / 2 + 64);
  TTextToBinaryConverter(text, binary).Convert();
  return binary;
}

void ObjectTextToBinary(QIODevice& input, QIODevice& output) {
  const QByteArray binary = ObjectTextToBinary(input.readAll());
  if (output.write(binary) != binary.size()) ThrowWriteError();
}
