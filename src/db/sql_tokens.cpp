#include "db/sql_tokens.h"

#include <algorithm>
#include <array>

#include "common/text.h"

namespace db {

namespace {

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes of a bare name. Bytes of multibyte characters count as letters, so that a name or a
// stray character of a typed text never splits into symbols.
bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '@' ||
           c == '#' || c == '$' || u >= 0x80;
}

bool IsWordStart(char c) {
    return IsWordChar(c) && !IsDigit(c) && c != '$';
}

// End of a quoted run that opens at `begin` and ends with `close`, where a doubled `close`
// stands for one. Sets `closed` to false when the text ends first.
std::size_t QuotedEnd(std::string_view sql, std::size_t begin, char close, bool& closed) {
    std::size_t i = begin + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    closed = false;
    return sql.size();
}

std::size_t NumberEnd(std::string_view sql, std::size_t i) {
    while (i < sql.size() && IsDigit(sql[i])) {
        ++i;
    }
    if (i < sql.size() && sql[i] == '.') {
        ++i;
        while (i < sql.size() && IsDigit(sql[i])) {
            ++i;
        }
    }
    if (i + 1 < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < sql.size() && (sql[j] == '+' || sql[j] == '-')) {
            ++j;
        }
        if (j < sql.size() && IsDigit(sql[j])) {
            i = j;
            while (i < sql.size() && IsDigit(sql[i])) {
                ++i;
            }
        }
    }
    return i;
}

constexpr std::array<std::string_view, 10> kTwoCharSymbols = {"<>", "<=", ">=", "!=", "!<",
                                                              "!>", "||", "==", "<<", ">>"};

std::size_t SymbolEnd(std::string_view sql, std::size_t i) {
    const std::string_view rest = sql.substr(i, 2);
    for (const std::string_view symbol : kTwoCharSymbols) {
        if (rest == symbol) {
            return i + 2;
        }
    }
    return i + 1;
}

}  // namespace

TokenizedSql TokenizeSql(std::string_view sql) {
    TokenizedSql out;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
        TokenKind kind = TokenKind::Symbol;
        std::size_t end = i + 1;
        bool closed = true;
        if (IsBlankChar(c)) {
            kind = TokenKind::Blank;
            while (end < sql.size() && IsBlankChar(sql[end])) {
                ++end;
            }
        } else if (c == '-' && next == '-') {
            kind = TokenKind::Comment;
            end = sql.find('\n', i);
            end = end == std::string_view::npos ? sql.size() : end;
        } else if (c == '/' && next == '*') {
            kind = TokenKind::Comment;
            end = sql.find("*/", i + 2);
            if (end == std::string_view::npos) {
                closed = false;
                end = sql.size();
            } else {
                end += 2;
            }
        } else if (c == '\'') {
            kind = TokenKind::Literal;
            end = QuotedEnd(sql, i, '\'', closed);
        } else if (c == '[') {
            kind = TokenKind::QuotedName;
            end = QuotedEnd(sql, i, ']', closed);
        } else if (c == '"' || c == '`') {
            kind = TokenKind::QuotedName;
            end = QuotedEnd(sql, i, c, closed);
        } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            kind = TokenKind::Number;
            end = NumberEnd(sql, i);
        } else if (IsWordStart(c)) {
            kind = TokenKind::Word;
            while (end < sql.size() && IsWordChar(sql[end])) {
                ++end;
            }
        } else {
            end = SymbolEnd(sql, i);
        }
        out.complete = out.complete && closed;
        out.tokens.push_back(Token{kind, std::string(sql.substr(i, end - i))});
        i = end;
    }
    return out;
}

std::string JoinTokens(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& token : tokens) {
        out += token.text;
    }
    return out;
}

bool IsSignificant(const Token& token) {
    return token.kind != TokenKind::Blank && token.kind != TokenKind::Comment;
}

bool IsWord(const Token& token, std::string_view word) {
    return token.kind == TokenKind::Word && common::EqualsNoCase(token.text, word);
}

bool IsSymbol(const Token& token, std::string_view symbol) {
    return token.kind == TokenKind::Symbol && token.text == symbol;
}

bool IsName(const Token& token) {
    return token.kind == TokenKind::Word || token.kind == TokenKind::QuotedName;
}

std::string NameOf(const Token& token) {
    if (token.kind != TokenKind::QuotedName || token.text.size() < 2) {
        return token.text;
    }
    const char close = token.text.front() == '[' ? ']' : token.text.front();
    const std::string_view inner = std::string_view(token.text).substr(1, token.text.size() - 2);
    std::string name;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        name.push_back(inner[i]);
        if (inner[i] == close && i + 1 < inner.size() && inner[i + 1] == close) {
            ++i;
        }
    }
    return name;
}

std::size_t NextSignificant(const std::vector<Token>& tokens, std::size_t index) {
    if (index == kNoToken) {
        return kNoToken;
    }
    for (std::size_t i = index + 1; i < tokens.size(); ++i) {
        if (IsSignificant(tokens[i])) {
            return i;
        }
    }
    return kNoToken;
}

std::size_t PreviousSignificant(const std::vector<Token>& tokens, std::size_t index) {
    for (std::size_t i = std::min(index, tokens.size()); i-- > 0;) {
        if (IsSignificant(tokens[i])) {
            return i;
        }
    }
    return kNoToken;
}

}  // namespace db
