#include "ClrMameProReader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "ListFields.h"

namespace {

enum class TokenKind { Open, Close, Word, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
  int line = 1;
};

class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}

  Token next() {
    while (at_ < text_.size() && isBlank(text_[at_])) {
      if (text_[at_] == '\n') ++line_;
      ++at_;
    }
    Token token{TokenKind::End, {}, line_};
    if (at_ >= text_.size()) return token;
    const char c = text_[at_];
    if (c == '(' || c == ')') {
      token.kind = c == '(' ? TokenKind::Open : TokenKind::Close;
      ++at_;
      return token;
    }
    token.kind = TokenKind::Word;
    if (c == '"') {
      quoteLine_ = line_;
      const std::size_t end = text_.find('"', at_ + 1);
      const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
      token.text = text_.substr(at_ + 1, stop - at_ - 1);
      for (const char inside : token.text) line_ += inside == '\n' ? 1 : 0;
      unterminated_ = end == std::string_view::npos;
      at_ = stop + 1;
      return token;
    }
    const std::size_t begin = at_;
    while (at_ < text_.size() && !isBlank(text_[at_]) && text_[at_] != '(' && text_[at_] != ')')
      ++at_;
    token.text = text_.substr(begin, at_ - begin);
    return token;
  }

  // A quoted text that the file ends in, and the line where it began.
  bool unterminated() const { return unterminated_; }
  int quoteLine() const { return quoteLine_; }
  int line() const { return line_; }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  int quoteLine_ = 1;
  bool unterminated_ = false;
};

struct PendingRom {
  std::string_view name;
  RomRecord record;
  bool matchable = true;
};

class DatReader {
 public:
  explicit DatReader(std::string_view text) : tokens_(text) {}

  Expected<RomCatalogue> read() {
    for (Token token = tokens_.next(); token.kind != TokenKind::End; token = tokens_.next()) {
      if (token.kind != TokenKind::Word) return fail(token, "a block's name expected");
      if (!expectOpen(token.text)) return Failure{error_};
      const bool isSet =
          token.text == "game" || token.text == "machine" || token.text == "resource";
      if (!(isSet ? readSet(token.text) : skipBlock(token.text))) return Failure{error_};
    }
    if (tokens_.unterminated()) return endsInside("");
    catalogue_.finish();
    return std::move(catalogue_);
  }

 private:
  Failure fail(int line, const std::string& why) {
    if (error_.empty()) error_ = "line " + std::to_string(line) + ": " + why;
    return Failure{error_};
  }
  Failure fail(const Token& token, const std::string& why) { return fail(token.line, why); }
  Failure endsInside(std::string_view block) {
    if (tokens_.unterminated()) return fail(tokens_.quoteLine(), "a quoted text is not closed");
    return fail(tokens_.line(), "the file ends inside " + std::string(block));
  }

  bool expectOpen(std::string_view block) {
    const Token token = tokens_.next();
    if (token.kind == TokenKind::Open) return true;
    fail(token, "\"(\" expected after " + std::string(block));
    return false;
  }

  // The value after a key: one word, or a block that is stepped over.
  std::optional<std::string_view> value(std::string_view key) {
    const Token token = tokens_.next();
    if (token.kind == TokenKind::Word) return token.text;
    if (token.kind == TokenKind::Open) {
      if (!skipBlock(key)) return std::nullopt;
      return std::string_view{};
    }
    fail(token, "a value expected after " + std::string(key));
    return std::nullopt;
  }

  bool skipBlock(std::string_view block) {
    for (int depth = 1; depth > 0;) {
      const Token token = tokens_.next();
      if (token.kind == TokenKind::End) return endsInside(block), false;
      depth += token.kind == TokenKind::Open ? 1 : token.kind == TokenKind::Close ? -1 : 0;
    }
    return true;
  }

  bool readSet(std::string_view block) {
    std::string_view name, description;
    std::vector<PendingRom> roms;
    const int line = tokens_.line();
    for (Token key = tokens_.next(); key.kind != TokenKind::Close; key = tokens_.next()) {
      if (key.kind == TokenKind::End) return endsInside(block), false;
      if (key.kind != TokenKind::Word) return fail(key, "a key expected"), false;
      if (key.text == "rom") {
        if (!expectOpen("rom")) return false;
        roms.emplace_back();
        if (!readRom(roms.back())) return false;
        continue;
      }
      const std::optional<std::string_view> text = value(key.text);
      if (!text) return false;
      if (key.text == "name") name = *text;
      if (key.text == "description") description = *text;
    }
    if (name.empty()) return fail(line, std::string(block) + " without a name"), false;
    const std::uint32_t set = catalogue_.addSet(name);
    catalogue_.describeSet(set, description);
    for (PendingRom& rom : roms) {
      catalogue_.countListed();
      if (!rom.matchable) continue;
      rom.record.set = set;
      rom.record.name = catalogue_.addText(rom.name);
      catalogue_.addRom(rom.record);
    }
    return true;
  }

  bool readRom(PendingRom& rom) {
    bool hasCrc = false, hasSize = false;
    const int line = tokens_.line();
    for (Token key = tokens_.next(); key.kind != TokenKind::Close; key = tokens_.next()) {
      if (key.kind == TokenKind::End) return endsInside("rom"), false;
      if (key.kind != TokenKind::Word) return fail(key, "a key expected in rom"), false;
      const std::optional<std::string_view> text = value(key.text);
      if (!text) return false;
      if (key.text == "name") {
        rom.name = *text;
      } else if (key.text == "size") {
        if (!parseListNumber(*text, rom.record.size))
          return fail(key, "the size \"" + std::string(*text) + "\" is not a number"), false;
        hasSize = true;
      } else if (key.text == "crc") {
        if (!text->empty() && !parseCrc32(*text, rom.record.crc32))
          return fail(key, "the crc \"" + std::string(*text) + "\" is not a CRC32"), false;
        hasCrc = !text->empty();
      } else if (key.text == "sha1") {
        if (!parseSha1(*text, rom.record.sha1))
          return fail(key, "the sha1 \"" + std::string(*text) + "\" is not a SHA-1"), false;
        rom.record.flags |= rom_flag::kSha1;
      } else if (key.text == "flags" || key.text == "status") {
        if (*text == "nodump") rom.matchable = false;
        if (*text == "baddump") rom.record.flags |= rom_flag::kBadDump;
      }
    }
    if (rom.name.empty()) return fail(line, "rom without a name"), false;
    if (hasCrc && !hasSize)
      return fail(line, "rom " + std::string(rom.name) + " without a size"), false;
    rom.matchable = rom.matchable && hasCrc;
    return true;
  }

  Tokens tokens_;
  RomCatalogue catalogue_;
  std::string error_;
};

}  // namespace

Expected<RomCatalogue> readClrMameProDat(std::string_view text) {
  // A name is kept up to its first NUL (RomCatalogue's texts end there), so
  // a name holding one would not be the DAT's. A text DAT holds none.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    const auto line =
        1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n');
    return Failure{"line " + std::to_string(line) + ": a NUL byte, which no text DAT holds"};
  }
  return DatReader(text).read();
}

bool looksLikeClrMameProDat(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t at = text.find_first_not_of(" \t\r\n");
  if (at == std::string_view::npos) return false;
  const std::size_t wordBegin = at;
  while (at < text.size() &&
         ((text[at] >= 'a' && text[at] <= 'z') || (text[at] >= 'A' && text[at] <= 'Z')))
    ++at;
  if (at == wordBegin) return false;
  at = text.find_first_not_of(" \t\r\n", at);
  return at != std::string_view::npos && text[at] == '(';
}
