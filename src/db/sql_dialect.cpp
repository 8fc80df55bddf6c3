#include "db/sql_dialect.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"
#include "db/central_schema.h"
#include "db/sql_tokens.h"
#include "db/table_def.h"

namespace db {

namespace {

using Tokens = std::vector<Token>;
// A rewrite rule edits the tokens of the statement text in place.
using Rule = void (*)(Tokens&);

Token MakeBlank() {
    return Token{TokenKind::Blank, " "};
}

Token MakeWord(std::string text) {
    return Token{TokenKind::Word, std::move(text)};
}

Token MakeSymbol(std::string text) {
    return Token{TokenKind::Symbol, std::move(text)};
}

// Inserts `inserted` before the token at `index`, with a blank in front when the inserted text
// begins with a word and would otherwise run into a word or number before it.
void InsertApart(Tokens& tokens, std::size_t index, Tokens inserted) {
    if (index > 0 && !inserted.empty() && inserted.front().kind == TokenKind::Word &&
        (tokens[index - 1].kind == TokenKind::Word ||
         tokens[index - 1].kind == TokenKind::Number)) {
        inserted.insert(inserted.begin(), MakeBlank());
    }
    tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(index), inserted.begin(),
                  inserted.end());
}

bool StartsStatement(const Tokens& tokens, std::size_t index) {
    const std::size_t previous = PreviousSignificant(tokens, index);
    return previous == kNoToken || IsSymbol(tokens[previous], ";");
}

// The last token of the name that starts at `index`, qualifiers included ("zsv_friend.qq").
std::size_t QualifiedNameEnd(const Tokens& tokens, std::size_t index) {
    std::size_t end = index;
    for (;;) {
        const std::size_t dot = NextSignificant(tokens, end);
        if (dot == kNoToken || !IsSymbol(tokens[dot], ".")) {
            return end;
        }
        const std::size_t name = NextSignificant(tokens, dot);
        if (name == kNoToken || !IsName(tokens[name])) {
            return end;
        }
        end = name;
    }
}

// The first token of the name that ends at `index`, qualifiers included.
std::size_t QualifiedNameStart(const Tokens& tokens, std::size_t index) {
    std::size_t start = index;
    for (;;) {
        const std::size_t dot = PreviousSignificant(tokens, start);
        if (dot == kNoToken || !IsSymbol(tokens[dot], ".")) {
            return start;
        }
        const std::size_t name = PreviousSignificant(tokens, dot);
        if (name == kNoToken || !IsName(tokens[name])) {
            return start;
        }
        start = name;
    }
}

// The ")" that closes the "(" at `open`, or kNoToken.
std::size_t MatchingClose(const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "(")) {
            ++depth;
        } else if (IsSymbol(tokens[i], ")") && --depth == 0) {
            return i;
        }
    }
    return kNoToken;
}

// Where the select whose clauses continue at `from` ends: the ")" that closes the parenthesis it
// stands in, its ";", or the end of the text. kNoToken when it is one part of a union, except or
// intersect: there a limit at its end would apply to the whole compound.
std::size_t SelectEnd(const Tokens& tokens, std::size_t from) {
    int depth = 0;
    for (std::size_t i = from; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (IsSymbol(token, "(")) {
            ++depth;
        } else if (IsSymbol(token, ")")) {
            if (depth == 0) {
                return i;
            }
            --depth;
        } else if (depth == 0 && IsSymbol(token, ";")) {
            return i;
        } else if (depth == 0 && (IsWord(token, "union") || IsWord(token, "except") ||
                                  IsWord(token, "intersect"))) {
            return kNoToken;
        }
    }
    return tokens.size();
}

// "select [distinct|all] top n ..." → "select [distinct|all] ... limit n", the limit placed after
// the last clause of that select, so that it follows its "order by" and stays inside the
// parentheses of a sub-select. "top (n)" gives "limit (n)". "top n percent", "top n with ties"
// and a top inside a union have no plain limit form and are left for the engine to refuse.
void TopToLimit(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "select")) {
            continue;
        }
        std::size_t top = NextSignificant(tokens, i);
        if (top != kNoToken && (IsWord(tokens[top], "distinct") || IsWord(tokens[top], "all"))) {
            top = NextSignificant(tokens, top);
        }
        if (top == kNoToken || !IsWord(tokens[top], "top")) {
            continue;
        }
        const std::size_t count_begin = NextSignificant(tokens, top);
        if (count_begin == kNoToken) {
            continue;
        }
        std::size_t count_end = count_begin;
        if (IsSymbol(tokens[count_begin], "(")) {
            count_end = MatchingClose(tokens, count_begin);
        } else if (tokens[count_begin].kind != TokenKind::Number) {
            continue;
        }
        if (count_end == kNoToken) {
            continue;
        }
        const std::size_t rest = NextSignificant(tokens, count_end);
        if (rest == kNoToken || IsWord(tokens[rest], "percent") || IsWord(tokens[rest], "with")) {
            continue;
        }
        const std::size_t end = SelectEnd(tokens, rest);
        if (end == kNoToken) {
            continue;
        }
        const std::size_t last = PreviousSignificant(tokens, end);
        Tokens limit = {MakeBlank(), MakeWord("limit"), MakeBlank()};
        limit.insert(limit.end(), tokens.begin() + static_cast<std::ptrdiff_t>(count_begin),
                     tokens.begin() + static_cast<std::ptrdiff_t>(count_end + 1));
        tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(last + 1), limit.begin(),
                      limit.end());
        // "top n" goes with the blanks after it; the blank before it stays.
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(top),
                     tokens.begin() + static_cast<std::ptrdiff_t>(rest));
        if (tokens[top - 1].kind != TokenKind::Blank) {
            tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(top), MakeBlank());
        }
    }
}

// "delete t where ..." → "delete from t where ...". Only a delete that begins a statement is
// one ("on delete cascade" is not), and "delete t from t join ..." is left as it stands.
void DeleteWithFrom(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "delete") || !StartsStatement(tokens, i)) {
            continue;
        }
        const std::size_t table = NextSignificant(tokens, i);
        if (table == kNoToken || !IsName(tokens[table]) || IsWord(tokens[table], "from") ||
            IsWord(tokens[table], "top")) {
            continue;
        }
        const std::size_t after = NextSignificant(tokens, QualifiedNameEnd(tokens, table));
        if (after != kNoToken && IsWord(tokens[after], "from")) {
            continue;
        }
        InsertApart(tokens, table, {MakeWord("from"), MakeBlank()});
    }
}

// DATEPART(mm, x) names the part with a bare word; the registered datepart() takes it as text.
void QuoteDateParts(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "datepart")) {
            continue;
        }
        const std::size_t open = NextSignificant(tokens, i);
        if (open == kNoToken || !IsSymbol(tokens[open], "(")) {
            continue;
        }
        const std::size_t part = NextSignificant(tokens, open);
        if (part == kNoToken || tokens[part].kind != TokenKind::Word) {
            continue;
        }
        const std::size_t comma = NextSignificant(tokens, part);
        if (comma == kNoToken || !IsSymbol(tokens[comma], ",")) {
            continue;
        }
        // A bare word holds no quote, so it can be put between quotes as it is.
        tokens[part] = Token{TokenKind::Literal, "'" + tokens[part].text + "'"};
    }
}

// The kinds the central tables give a column of that name, one entry per table that has it.
std::vector<ColumnKind> KindsOfColumn(const Token& token) {
    std::vector<ColumnKind> kinds;
    if (!IsName(token)) {
        return kinds;
    }
    const std::string name = NameOf(token);
    for (const TableDef& table : CentralTables()) {
        for (const ColumnDef& column : table.columns) {
            if (common::EqualsNoCase(name, column.name)) {
                kinds.push_back(column.kind);
            }
        }
    }
    return kinds;
}

bool IsNumberKind(ColumnKind kind) {
    return kind == ColumnKind::Identity || kind == ColumnKind::Integer ||
           kind == ColumnKind::Number;
}

// A date-time column of the central tables. Only a difference of two of them is a date-time
// difference; any other "a-b" of the statements is a difference of numbers.
bool IsDateTimeColumn(const Token& token) {
    const std::vector<ColumnKind> kinds = KindsOfColumn(token);
    return std::any_of(kinds.begin(), kinds.end(),
                       [](ColumnKind kind) { return kind == ColumnKind::DateTime; });
}

// A column that is text, or a number, in every central table that has one of that name.
bool IsTextColumn(const Token& token) {
    const std::vector<ColumnKind> kinds = KindsOfColumn(token);
    return !kinds.empty() && std::all_of(kinds.begin(), kinds.end(),
                                         [](ColumnKind kind) { return kind == ColumnKind::Text; });
}

bool IsNumberColumn(const Token& token) {
    const std::vector<ColumnKind> kinds = KindsOfColumn(token);
    return !kinds.empty() && std::all_of(kinds.begin(), kinds.end(), IsNumberKind);
}

bool IsArithmeticOperator(const Token& token) {
    static constexpr std::array<std::string_view, 12> kOperators = {"+", "-", "*", "/", "%",  "||",
                                                                    "~", "&", "|", "^", "<<", ">>"};
    if (token.kind != TokenKind::Symbol) {
        return false;
    }
    for (const std::string_view op : kOperators) {
        if (token.text == op) {
            return true;
        }
    }
    return false;
}

// Operators that would take the right-hand column away from the "-".
bool BindsTighterThanMinus(const Token& token) {
    return IsSymbol(token, "*") || IsSymbol(token, "/") || IsSymbol(token, "%") ||
           IsSymbol(token, "||") || IsWord(token, "collate");
}

// The tokens from `begin` to `end`, both included.
Tokens Slice(const Tokens& tokens, std::size_t begin, std::size_t end) {
    return Tokens(tokens.begin() + static_cast<std::ptrdiff_t>(begin),
                  tokens.begin() + static_cast<std::ptrdiff_t>(end + 1));
}

void Append(Tokens& to, const Tokens& tokens) {
    to.insert(to.end(), tokens.begin(), tokens.end());
}

// Replaces every difference of two date-time columns, "endtime-begintime", by the text that
// `replacement` makes of its two operands. Rewritten only where the two columns are the whole
// operands of that "-": no other operator binds either of them first.
void RewriteDateTimeDifferences(Tokens& tokens,
                                Tokens (*replacement)(const Tokens& end, const Tokens& begin)) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsSymbol(tokens[i], "-")) {
            continue;
        }
        const std::size_t left_end = PreviousSignificant(tokens, i);
        const std::size_t right_begin = NextSignificant(tokens, i);
        if (left_end == kNoToken || right_begin == kNoToken ||
            !IsDateTimeColumn(tokens[left_end])) {
            continue;
        }
        const std::size_t right_end = QualifiedNameEnd(tokens, right_begin);
        if (!IsName(tokens[right_begin]) || !IsDateTimeColumn(tokens[right_end])) {
            continue;
        }
        const std::size_t left_begin = QualifiedNameStart(tokens, left_end);
        const std::size_t before = PreviousSignificant(tokens, left_begin);
        const std::size_t after = NextSignificant(tokens, right_end);
        if ((before != kNoToken && IsArithmeticOperator(tokens[before])) ||
            (after != kNoToken &&
             (BindsTighterThanMinus(tokens[after]) || IsSymbol(tokens[after], "(")))) {
            continue;
        }
        Tokens call =
            replacement(Slice(tokens, left_begin, left_end), Slice(tokens, right_begin, right_end));
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(left_begin),
                     tokens.begin() + static_cast<std::ptrdiff_t>(right_end + 1));
        const std::size_t size_before = tokens.size();
        InsertApart(tokens, left_begin, std::move(call));
        i = left_begin + (tokens.size() - size_before) - 1;
    }
}

// "endtime-begintime" → "datetime_diff(endtime, begintime)", the registered function that
// gives the difference as the central server does (a date-time counted from 1900-01-01).
void DateTimeDifferenceToFunction(Tokens& tokens) {
    RewriteDateTimeDifferences(tokens, [](const Tokens& end, const Tokens& begin) {
        Tokens call = {MakeWord("datetime_diff"), MakeSymbol("(")};
        Append(call, end);
        call.push_back(MakeSymbol(","));
        call.push_back(MakeBlank());
        Append(call, begin);
        call.push_back(MakeSymbol(")"));
        return call;
    });
}

// MariaDB subtracts date-times as numbers; the seconds between them added to 1900-01-01 give
// the central server's date-time difference.
void DateTimeDifferenceToTimestampAdd(Tokens& tokens) {
    RewriteDateTimeDifferences(tokens, [](const Tokens& end, const Tokens& begin) {
        Tokens call = {MakeWord("timestampadd"),
                       MakeSymbol("("),
                       MakeWord("second"),
                       MakeSymbol(","),
                       MakeBlank(),
                       MakeWord("timestampdiff"),
                       MakeSymbol("("),
                       MakeWord("second"),
                       MakeSymbol(","),
                       MakeBlank()};
        Append(call, begin);
        call.push_back(MakeSymbol(","));
        call.push_back(MakeBlank());
        Append(call, end);
        Append(call, {MakeSymbol(")"), MakeSymbol(","), MakeBlank(),
                      Token{TokenKind::Literal, "'1900-01-01 00:00:00'"}, MakeSymbol(")")});
        return call;
    });
}

// Comments carry nothing the statements need. MariaDB reads some of them differently ("--"
// needs a blank after it, "/*! ... */" is run), so they go: with the blanks on one side of
// them, or as one blank where they part two words.
void RemoveComments(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size();) {
        if (tokens[i].kind != TokenKind::Comment) {
            ++i;
            continue;
        }
        const bool blank_before = i == 0 || tokens[i - 1].kind == TokenKind::Blank;
        const bool blank_after = i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::Blank;
        if (blank_before) {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                         tokens.begin() + static_cast<std::ptrdiff_t>(blank_after ? i + 2 : i + 1));
        } else if (blank_after || i + 1 == tokens.size()) {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            tokens[i] = MakeBlank();
        }
    }
}

// "limit (5)" → "limit 5": MariaDB takes no parentheses around the count.
void UnwrapLimitCount(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "limit")) {
            continue;
        }
        const std::size_t open = NextSignificant(tokens, i);
        if (open == kNoToken || !IsSymbol(tokens[open], "(")) {
            continue;
        }
        const std::size_t count = NextSignificant(tokens, open);
        const std::size_t close = NextSignificant(tokens, count);
        if (count == kNoToken || tokens[count].kind != TokenKind::Number || close == kNoToken ||
            !IsSymbol(tokens[close], ")")) {
            continue;
        }
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(close));
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(open));
    }
}

// "getdate()" → "now()": the server's local date and time.
void GetDateToNow(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::size_t open = NextSignificant(tokens, i);
        if (IsWord(tokens[i], "getdate") && open != kNoToken && IsSymbol(tokens[open], "(")) {
            tokens[i] = MakeWord("now");
        }
    }
}

// The MariaDB function that gives a date part named as the central server's dialect names it;
// empty for the week, which has no function of its own there, and for an unknown part.
std::string DatePartFunction(const std::string& part) {
    struct Name {
        const char* part;
        const char* function;
    };
    static constexpr Name kNames[] = {
        {"yy", "year"},       {"yyyy", "year"},     {"year", "year"},
        {"qq", "quarter"},    {"q", "quarter"},     {"quarter", "quarter"},
        {"mm", "month"},      {"m", "month"},       {"month", "month"},
        {"dy", "dayofyear"},  {"y", "dayofyear"},   {"dayofyear", "dayofyear"},
        {"dd", "dayofmonth"}, {"d", "dayofmonth"},  {"day", "dayofmonth"},
        {"dw", "dayofweek"},  {"w", "dayofweek"},   {"weekday", "dayofweek"},
        {"hh", "hour"},       {"hour", "hour"},     {"mi", "minute"},
        {"n", "minute"},      {"minute", "minute"}, {"ss", "second"},
        {"s", "second"},      {"second", "second"},
    };
    for (const Name& name : kNames) {
        if (common::EqualsNoCase(part, name.part)) {
            return name.function;
        }
    }
    return "";
}

bool IsWeekPart(const std::string& part) {
    return common::EqualsNoCase(part, "wk") || common::EqualsNoCase(part, "ww") ||
           common::EqualsNoCase(part, "week");
}

// The week of the year as the central server counts it: weeks start on Sunday and the week of
// 1 January is week 1.
Tokens WeekOfYear(const Tokens& value) {
    const TokenizedSql head = TokenizeSql("(floor((dayofyear(");
    const TokenizedSql middle = TokenizeSql(") + dayofweek(makedate(year(");
    const TokenizedSql tail = TokenizeSql("), 1)) - 2) / 7) + 1)");
    Tokens out = head.tokens;
    Append(out, value);
    Append(out, middle.tokens);
    Append(out, value);
    Append(out, tail.tokens);
    return out;
}

// "DATEPART(mm, x)" → "month(x)", and so for every part MariaDB has a function for; the week
// becomes its computation. An unknown part is left for the engine to refuse.
void DatePartToFunctions(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "datepart")) {
            continue;
        }
        const std::size_t open = NextSignificant(tokens, i);
        if (open == kNoToken || !IsSymbol(tokens[open], "(")) {
            continue;
        }
        const std::size_t part = NextSignificant(tokens, open);
        const std::size_t comma = NextSignificant(tokens, part);
        const std::size_t close = MatchingClose(tokens, open);
        if (part == kNoToken || tokens[part].kind != TokenKind::Word || comma == kNoToken ||
            !IsSymbol(tokens[comma], ",") || close == kNoToken) {
            continue;
        }
        const std::string function = DatePartFunction(tokens[part].text);
        if (!function.empty()) {
            // "DATEPART(mm, " becomes "month(": the part and the comma go, the value stays.
            const std::size_t value = NextSignificant(tokens, comma);
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(open + 1),
                         tokens.begin() +
                             static_cast<std::ptrdiff_t>(value == kNoToken ? comma + 1 : value));
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i + 1),
                         tokens.begin() + static_cast<std::ptrdiff_t>(open));
            tokens[i] = MakeWord(function);
        } else if (IsWeekPart(tokens[part].text)) {
            const std::size_t value = NextSignificant(tokens, comma);
            if (value == kNoToken || value >= close) {
                continue;
            }
            Tokens week = WeekOfYear(Slice(tokens, value, close - 1));
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                         tokens.begin() + static_cast<std::ptrdiff_t>(close + 1));
            // The scan goes on inside, so that a DATEPART in the value is rewritten too.
            InsertApart(tokens, i, std::move(week));
        }
    }
}

// "[state]" → "`state`": MariaDB quotes names with backquotes.
void BracketsToBackquotes(Tokens& tokens) {
    for (Token& token : tokens) {
        if (token.kind != TokenKind::QuotedName || token.text.front() != '[') {
            continue;
        }
        std::string quoted = "`";
        for (const char c : NameOf(token)) {
            quoted += c == '`' ? std::string("``") : std::string(1, c);
        }
        token = Token{TokenKind::QuotedName, quoted + "`"};
    }
}

// "count (x)" → "count(x)": MariaDB takes a blank after these names as a name of its own.
void CloseUpFunctionCalls(Tokens& tokens) {
    static constexpr std::array<std::string_view, 6> kFunctions = {"count", "sum", "max",
                                                                   "min",   "avg", "now"};
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind != TokenKind::Word || tokens[i + 1].kind != TokenKind::Blank) {
            continue;
        }
        const bool function = std::any_of(kFunctions.begin(), kFunctions.end(),
                                          [&](std::string_view f) { return IsWord(tokens[i], f); });
        const std::size_t open = NextSignificant(tokens, i);
        if (function && open == i + 2 && IsSymbol(tokens[open], "(")) {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i + 1));
        }
    }
}

// '' or '  ', spaces only between the quotes: the central server reads it as 0 where a number
// is wanted.
bool IsBlankLiteral(const Token& token) {
    return token.kind == TokenKind::Literal && token.text.size() >= 2 &&
           token.text.find_first_not_of(' ', 1) == token.text.size() - 1;
}

bool IsComparison(const Token& token) {
    return IsSymbol(token, "=") || IsSymbol(token, "<>") || IsSymbol(token, "!=") ||
           IsSymbol(token, "<") || IsSymbol(token, ">") || IsSymbol(token, "<=") ||
           IsSymbol(token, ">=");
}

// The column compared with the operand at `index`, "col = x" or "x = col", whole on its side of
// the comparison; kNoToken when there is none.
std::size_t ComparedColumn(const Tokens& tokens, std::size_t index) {
    const std::size_t before = PreviousSignificant(tokens, index);
    if (before != kNoToken && IsComparison(tokens[before])) {
        const std::size_t column = PreviousSignificant(tokens, before);
        if (column != kNoToken && IsName(tokens[column])) {
            const std::size_t ahead =
                PreviousSignificant(tokens, QualifiedNameStart(tokens, column));
            if (ahead == kNoToken || !IsArithmeticOperator(tokens[ahead])) {
                return column;
            }
        }
    }
    const std::size_t after = NextSignificant(tokens, index);
    if (after != kNoToken && IsComparison(tokens[after])) {
        const std::size_t column = NextSignificant(tokens, after);
        if (column != kNoToken && IsName(tokens[column])) {
            const std::size_t end = QualifiedNameEnd(tokens, column);
            const std::size_t behind = NextSignificant(tokens, end);
            if (behind == kNoToken ||
                !(IsArithmeticOperator(tokens[behind]) || IsSymbol(tokens[behind], "("))) {
                return end;
            }
        }
    }
    return kNoToken;
}

// The operand at `index` stands alone: no operator binds it to anything but the comparison.
bool StandsAlone(const Tokens& tokens, std::size_t index) {
    const std::size_t before = PreviousSignificant(tokens, index);
    const std::size_t after = NextSignificant(tokens, index);
    return (before == kNoToken || !IsArithmeticOperator(tokens[before])) &&
           (after == kNoToken ||
            !(IsArithmeticOperator(tokens[after]) || IsSymbol(tokens[after], ".")));
}

// "WorkOrder = 130508143005" → "WorkOrder = '130508143005'": PostgreSQL compares a text with a
// number only once the number is a text, as the central server's text columns do.
void QuoteNumbersAgainstTextColumns(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != TokenKind::Number || !StandsAlone(tokens, i)) {
            continue;
        }
        const std::size_t column = ComparedColumn(tokens, i);
        if (column != kNoToken && IsTextColumn(tokens[column])) {
            // A number holds no quote, so it can be put between quotes as it is.
            tokens[i] = Token{TokenKind::Literal, "'" + tokens[i].text + "'"};
        }
    }
}

// The index of the name of the table an "insert into t (...)" at `insert` writes, or kNoToken.
std::size_t InsertTable(const Tokens& tokens, std::size_t insert) {
    std::size_t table = NextSignificant(tokens, insert);
    if (table != kNoToken && IsWord(tokens[table], "into")) {
        table = NextSignificant(tokens, table);
    }
    return table != kNoToken && IsName(tokens[table]) ? QualifiedNameEnd(tokens, table) : kNoToken;
}

const TableDef* CentralTableNamed(const Token& token) {
    const std::string name = NameOf(token);
    for (const TableDef& table : CentralTables()) {
        if (common::EqualsNoCase(name, table.name)) {
            return &table;
        }
    }
    return nullptr;
}

bool IsNumberColumnOf(const TableDef& table, const Token& token) {
    const std::string name = NameOf(token);
    return std::any_of(table.columns.begin(), table.columns.end(), [&](const ColumnDef& column) {
        return common::EqualsNoCase(name, column.name) && IsNumberKind(column.kind);
    });
}

// In "insert into t (a, b) values ('', 'x'), (...)": a blank literal in the place of a number
// column of the central table becomes 0.
void BlankInsertValuesToZero(Tokens& tokens, std::size_t insert) {
    const std::size_t name = InsertTable(tokens, insert);
    const TableDef* table = name == kNoToken ? nullptr : CentralTableNamed(tokens[name]);
    const std::size_t open = name == kNoToken ? kNoToken : NextSignificant(tokens, name);
    if (table == nullptr || open == kNoToken || !IsSymbol(tokens[open], "(")) {
        return;
    }
    const std::size_t close = MatchingClose(tokens, open);
    if (close == kNoToken) {
        return;
    }
    std::vector<bool> numbers;
    for (std::size_t i = NextSignificant(tokens, open); i != kNoToken && i < close;) {
        numbers.push_back(IsName(tokens[i]) && IsNumberColumnOf(*table, tokens[i]));
        const std::size_t comma = NextSignificant(tokens, i);
        i = comma != kNoToken && IsSymbol(tokens[comma], ",") ? NextSignificant(tokens, comma)
                                                              : kNoToken;
    }
    std::size_t next = NextSignificant(tokens, close);
    if (next == kNoToken || !IsWord(tokens[next], "values")) {
        return;
    }
    for (next = NextSignificant(tokens, next); next != kNoToken && IsSymbol(tokens[next], "(");) {
        const std::size_t row_close = MatchingClose(tokens, next);
        if (row_close == kNoToken) {
            return;
        }
        // Each value of the row: a blank literal alone between its commas is the case.
        std::size_t place = 0;
        std::size_t value_begin = NextSignificant(tokens, next);
        int depth = 0;
        for (std::size_t i = next + 1; i <= row_close; ++i) {
            if (IsSymbol(tokens[i], "(")) {
                ++depth;
            } else if (IsSymbol(tokens[i], ")") && depth > 0) {
                --depth;
            } else if (depth == 0 && (IsSymbol(tokens[i], ",") || i == row_close)) {
                if (value_begin != kNoToken && PreviousSignificant(tokens, i) == value_begin &&
                    IsBlankLiteral(tokens[value_begin]) && place < numbers.size() &&
                    numbers[place]) {
                    tokens[value_begin] = Token{TokenKind::Number, "0"};
                }
                ++place;
                value_begin = NextSignificant(tokens, i);
            }
        }
        const std::size_t comma = NextSignificant(tokens, row_close);
        next = comma != kNoToken && IsSymbol(tokens[comma], ",") ? NextSignificant(tokens, comma)
                                                                 : kNoToken;
    }
}

// An empty text is 0 where the central server wants a number; PostgreSQL refuses it. So a blank
// literal compared with or assigned to a number column ("set age = ''", "qq = ''") and one in
// an insert's place of a number column becomes 0.
void BlankTextToZeroForNumbers(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (IsWord(tokens[i], "insert")) {
            BlankInsertValuesToZero(tokens, i);
            continue;
        }
        if (!IsBlankLiteral(tokens[i]) || !StandsAlone(tokens, i)) {
            continue;
        }
        const std::size_t column = ComparedColumn(tokens, i);
        if (column != kNoToken && IsNumberColumn(tokens[column])) {
            tokens[i] = Token{TokenKind::Number, "0"};
        }
    }
}

// The tokens of `before`, then `value`, then `after`.
Tokens Around(std::string_view before, const Tokens& value, std::string_view after) {
    Tokens out = TokenizeSql(before).tokens;
    Append(out, value);
    Append(out, TokenizeSql(after).tokens);
    return out;
}

// PostgreSQL's name of a date part as the central server's dialect names it; empty for the
// week and the weekday, which are computed, and for an unknown part.
std::string PostgresDateField(const std::string& part) {
    const std::string function = DatePartFunction(part);
    if (function == "dayofyear") {
        return "doy";
    }
    if (function == "dayofmonth") {
        return "day";
    }
    if (function == "dayofweek") {
        return "";
    }
    return function;
}

// "DATEPART(mm, x)" → "cast(date_part('month', cast(x as timestamp)) as integer)", the value
// read as a date-time so that a quoted date-time works too; seconds without their fraction;
// the weekday counted from Sunday as 1; the week computed as on the central server (weeks start
// on Sunday, the week of 1 January is week 1). An unknown part is left for the engine to refuse.
void DatePartToPostgres(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "datepart")) {
            continue;
        }
        const std::size_t open = NextSignificant(tokens, i);
        if (open == kNoToken || !IsSymbol(tokens[open], "(")) {
            continue;
        }
        const std::size_t part = NextSignificant(tokens, open);
        const std::size_t comma = NextSignificant(tokens, part);
        const std::size_t close = MatchingClose(tokens, open);
        if (part == kNoToken || tokens[part].kind != TokenKind::Word || comma == kNoToken ||
            !IsSymbol(tokens[comma], ",") || close == kNoToken) {
            continue;
        }
        const std::size_t value_begin = NextSignificant(tokens, comma);
        if (value_begin == kNoToken || value_begin >= close) {
            continue;
        }
        const Tokens value =
            Around("cast(", Slice(tokens, value_begin, PreviousSignificant(tokens, close)),
                   " as timestamp)");
        const std::string& name = tokens[part].text;
        const std::string field = PostgresDateField(name);
        Tokens out;
        if (field == "second") {
            out = Around("cast(floor(date_part('second', ", value, ")) as integer)");
        } else if (!field.empty()) {
            out = Around("cast(date_part('" + field + "', ", value, ") as integer)");
        } else if (DatePartFunction(name) == "dayofweek") {
            out = Around("(cast(date_part('dow', ", value, ") as integer) + 1)");
        } else if (IsWeekPart(name)) {
            out = Around("(cast(floor((date_part('doy', ", value, ") + date_part('dow', ");
            Append(out, Around("date_trunc('year', ", value, ")) - 1) / 7) as integer) + 1)"));
        } else {
            continue;
        }
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                     tokens.begin() + static_cast<std::ptrdiff_t>(close + 1));
        // The scan goes on inside, so that a DATEPART in the value is rewritten too.
        InsertApart(tokens, i, std::move(out));
    }
}

// PostgreSQL subtracts date-times into an interval; added to 1900-01-01 it gives the central
// server's date-time difference.
void DateTimeDifferenceToInterval(Tokens& tokens) {
    RewriteDateTimeDifferences(tokens, [](const Tokens& end, const Tokens& begin) {
        Tokens call = TokenizeSql("(timestamp '1900-01-01 00:00:00' + (").tokens;
        Append(call, end);
        call.push_back(MakeBlank());
        call.push_back(MakeSymbol("-"));
        call.push_back(MakeBlank());
        Append(call, begin);
        Append(call, {MakeSymbol(")"), MakeSymbol(")")});
        return call;
    });
}

// "getdate()" → the server's local date and time to the second, as of the statement.
void GetDateToLocalTimestamp(Tokens& tokens) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::size_t open = NextSignificant(tokens, i);
        if (!IsWord(tokens[i], "getdate") || open == kNoToken || !IsSymbol(tokens[open], "(")) {
            continue;
        }
        const std::size_t close = NextSignificant(tokens, open);
        if (close == kNoToken || !IsSymbol(tokens[close], ")")) {
            continue;
        }
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                     tokens.begin() + static_cast<std::ptrdiff_t>(close + 1));
        InsertApart(
            tokens, i,
            TokenizeSql("cast(date_trunc('second', statement_timestamp()) as timestamp)").tokens);
    }
}

// "[State]" → "\"state\"": the tables are made with lower-case names there, which a quoted name
// must spell exactly.
void BracketsToLowerCaseQuotes(Tokens& tokens) {
    for (Token& token : tokens) {
        if (token.kind != TokenKind::QuotedName || token.text.front() != '[') {
            continue;
        }
        std::string quoted = "\"";
        for (const char c : common::ToLowerAscii(NameOf(token))) {
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        token = Token{TokenKind::QuotedName, quoted + "\""};
    }
}

constexpr std::array<Rule, 4> kSqliteRules = {
    TopToLimit,
    DeleteWithFrom,
    QuoteDateParts,
    DateTimeDifferenceToFunction,
};

// The date parts go first, so that a getdate() inside them is rewritten with the others.
constexpr std::array<Rule, 9> kMariaDbRules = {
    RemoveComments, TopToLimit,           UnwrapLimitCount,
    DeleteWithFrom, DatePartToFunctions,  DateTimeDifferenceToTimestampAdd,
    GetDateToNow,   CloseUpFunctionCalls, BracketsToBackquotes,
};

// The comparisons and assignments are read before the date parts and getdate() put numbers and
// functions of their own into the text.
constexpr std::array<Rule, 8> kPostgresRules = {
    TopToLimit,
    DeleteWithFrom,
    QuoteNumbersAgainstTextColumns,
    BlankTextToZeroForNumbers,
    DatePartToPostgres,
    DateTimeDifferenceToInterval,
    GetDateToLocalTimestamp,
    BracketsToLowerCaseQuotes,
};

std::span<const Rule> RulesFor(Dialect dialect) {
    switch (dialect) {
        case Dialect::Sqlite:
            return kSqliteRules;
        case Dialect::SqlServer:
            break;  // the statements are written in its dialect
        case Dialect::MariaDb:
            return kMariaDbRules;
        case Dialect::Postgres:
            return kPostgresRules;
    }
    return {};
}

}  // namespace

std::string TranslateSql(std::string_view sql, Dialect dialect) {
    const std::span<const Rule> rules = RulesFor(dialect);
    if (rules.empty()) {
        return std::string(sql);
    }
    TokenizedSql tokenized = TokenizeSql(sql);
    // An unclosed literal or comment swallows the rest of the text; a rewrite there could put
    // its words inside it. Such a text is left for the engine to refuse.
    if (!tokenized.complete) {
        return std::string(sql);
    }
    for (const Rule rule : rules) {
        rule(tokenized.tokens);
    }
    return JoinTokens(tokenized.tokens);
}

std::vector<std::string> SessionSetupSql(Dialect dialect) {
    if (dialect == Dialect::Postgres) {
        // A backslash is an ordinary character in a literal, so that a typed text ending in one
        // cannot end its literal; date-times are read and written in the ISO form.
        return {"set standard_conforming_strings = on", "set datestyle = 'ISO, YMD'"};
    }
    if (dialect != Dialect::MariaDb) {
        return {};
    }
    // Whatever the server's own settings: an empty text written to a number column is 0 as on
    // the central server (no strict mode); every assignment of an update reads the row as it
    // was; a backslash is an ordinary character in a literal, so that a typed text ending in
    // one cannot end its literal; double quotes quote names.
    return {
        "set session sql_mode = "
        "'NO_ENGINE_SUBSTITUTION,SIMULTANEOUS_ASSIGNMENT,NO_BACKSLASH_ESCAPES,ANSI_QUOTES'"};
}

}  // namespace db
