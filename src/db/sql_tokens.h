// Splits SQL text into tokens for the dialect rewriter. Every byte of the text belongs to exactly
// one token, so joining the tokens gives the text back unchanged. A string literal ('...' with ''
// inside), a quoted name ([...], "...", `...`) and a comment are single tokens: a rewrite works on
// words and symbols and never looks inside them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace db {

enum class TokenKind {
    Blank,       // spaces, tabs, line ends
    Comment,     // -- to the end of the line, or /* ... */
    Literal,     // '...'
    QuotedName,  // [...], "..." or `...`
    Word,        // keywords and bare names: letters, digits, _ @ # $ and non-ASCII bytes
    Number,      // 12, 1.5, .5, 2e3
    Symbol,      // operators and punctuation: ( ) , . ; = <> <= >= != || + - * / ...
};

struct Token {
    TokenKind kind;
    std::string text;
};

struct TokenizedSql {
    std::vector<Token> tokens;
    // False when a literal, quoted name or block comment runs to the end of the text unclosed.
    bool complete = true;
};

TokenizedSql TokenizeSql(std::string_view sql);
std::string JoinTokens(const std::vector<Token>& tokens);

inline constexpr std::size_t kNoToken = static_cast<std::size_t>(-1);

// Blanks and comments carry no meaning for the rewrite rules.
bool IsSignificant(const Token& token);
// The token is the word, without regard to ASCII case. Quoted names are never words.
bool IsWord(const Token& token, std::string_view word);
bool IsSymbol(const Token& token, std::string_view symbol);
// A bare or quoted name.
bool IsName(const Token& token);
// The name a Word or QuotedName token stands for: "[state]" and "state" both give "state".
std::string NameOf(const Token& token);

// Index of the first significant token after `index`, or kNoToken.
std::size_t NextSignificant(const std::vector<Token>& tokens, std::size_t index);
// Index of the last significant token before `index`, or kNoToken.
std::size_t PreviousSignificant(const std::vector<Token>& tokens, std::size_t index);

}  // namespace db
