#include "formats/omml.h"

#include <algorithm>
#include <utility>

namespace lintavo {

namespace {

using Kind = MathNode::Kind;

MathNode run(std::string text, bool upright = false) {
    return MathNode{Kind::Run, std::move(text), false, {}, upright};
}

MathNode node(Kind kind, std::vector<MathNode> children) {
    return MathNode{kind, {}, false, std::move(children), false};
}

MathNode row(std::vector<MathNode> children) {
    return node(Kind::Row, std::move(children));
}

MathNode rowOf(MathNode n) {
    return n.kind == Kind::Row ? std::move(n) : row({std::move(n)});
}

// A row that is one pair of brackets stands for what is inside them where the layout shows
// the grouping itself: a numerator, a denominator, an exponent.
MathNode unbracketed(MathNode r) {
    if (r.kind == Kind::Row && r.children.size() == 1 && r.children[0].kind == Kind::Brackets)
        return std::move(r.children[0].children[0]);
    if (r.kind == Kind::Brackets) return std::move(r.children[0]);
    return r;
}

// The length of the UTF-8 sequence that `lead` starts.
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A Greek letter, U+0391 to U+03C9, at the start of `s`.
bool isGreek(std::string_view s) {
    if (s.size() < 2) return false;
    const auto a = static_cast<unsigned char>(s[0]);
    const auto b = static_cast<unsigned char>(s[1]);
    return (a == 0xCE && b >= 0x91) || (a == 0xCF && b <= 0x89);
}

// A CJK ideograph, U+4E00 to U+9FFF, at the start of `s`.
bool isIdeograph(std::string_view s) {
    if (s.size() < 3) return false;
    const auto a = static_cast<unsigned char>(s[0]);
    return a >= 0xE4 && a <= 0xE9;
}

// Names written upright, whole: functions, and the Froude number.
constexpr std::string_view wholeNames[] = {"max", "min",    "exp",    "ln",  "lg",  "log",
                                           "Fr",  "arccos", "arctan", "sin", "cos", "tan"};

// Functions written before their argument without brackets, "sinθ": the name ends there.
// The longer first where one begins another.
constexpr std::string_view functionNames[] = {"arccos", "arctan", "sin", "cos", "tan"};

// Units a number may carry, the longer first where one begins another.
constexpr std::string_view units[] = {"m³/s", "m²/s", "m/s²", "m½/s", "m/s",
                                      "m³",   "m²",   "m",    "rad",  "%"};

// Recursive descent over the formula's UTF-8 text:
//   formula  := expr (unmatched ")" expr)*
//   expr     := term (("+" | "−" | "-" | "=" | "<" | ">" | "≤" | "≥" | ",") term)*
//   term     := factor (("·" | "×") factor | "/" factor | unit | factor)*
//   factor   := ("−" | "-") factor | primary ("²" | "³" | "^" primary)*
//   primary  := "(" expr ")" | "√" primary | number | name | any other character
//   name     := letters digits* (ideographs | "_" subscript)?
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    MathNode formula() {
        std::vector<MathNode> items = expression();
        // What a term cannot start with (an unmatched bracket) is kept as text, and the
        // reading goes on after it.
        while (!atEnd()) {
            if (!startsOperand()) items.push_back(run(takeCharacter()));
            for (MathNode& n : expression())
                items.push_back(std::move(n));
        }
        return row(std::move(items));
    }

  private:
    bool atEnd() {
        skipBlanks();
        return at_ >= text_.size();
    }
    void skipBlanks() {
        while (at_ < text_.size() && text_[at_] == ' ')
            ++at_;
    }
    bool peek(std::string_view token) {
        skipBlanks();
        return text_.substr(at_, token.size()) == token;
    }
    bool take(std::string_view token) {
        if (!peek(token)) return false;
        at_ += token.size();
        return true;
    }
    std::string takeCharacter() {
        skipBlanks();
        const std::size_t length =
            std::min(sequenceLength(static_cast<unsigned char>(text_[at_])), text_.size() - at_);
        std::string c(text_.substr(at_, length));
        at_ += length;
        return c;
    }

    // Whether what comes next can begin a factor written beside the one before it: not an
    // operator, a relation, a closing bracket or an exponent.
    bool startsOperand() {
        if (atEnd()) return false;
        for (const std::string_view op :
             {"+", "−", "-", "=", "<", ">", "≤", "≥", "·", "×", "/", ")", "^", "²", "³", ","})
            if (peek(op)) return false;
        return true;
    }

    // A unit after a number: its length where one is written next, else 0.
    std::size_t unitAhead() {
        skipBlanks();
        const std::string_view rest = text_.substr(at_);
        for (const std::string_view u : units) {
            if (rest.substr(0, u.size()) != u) continue;
            const std::string_view after = rest.substr(u.size());
            // "m" followed by a letter, a digit, an operator or a bracket is the side slope.
            const bool ends =
                u == "%" || after.empty() || after[0] == ' ' || after[0] == ')' || after[0] == ',';
            if (ends) return u.size();
        }
        return 0;
    }

    static bool isNumber(const std::vector<MathNode>& items) {
        return !items.empty() && items.back().kind == Kind::Run && !items.back().text.empty() &&
               (isDigit(items.back().text[0]) || items.back().text[0] == '.');
    }

    std::vector<MathNode> expression() {
        std::vector<MathNode> items = term();
        for (;;) {
            std::string op;
            if (take("+")) {
                op = "+";
            } else if (take("−") || take("-")) {
                op = "−";
            } else {
                for (const std::string_view relation : {"=", "<", ">", "≤", "≥", ","}) {
                    if (take(relation)) {
                        op = relation;
                        break;
                    }
                }
                if (op.empty()) break;
            }
            items.push_back(run(op));
            std::vector<MathNode> next = term();
            for (MathNode& n : next)
                items.push_back(std::move(n));
        }
        return items;
    }

    std::vector<MathNode> term() {
        std::vector<MathNode> items;
        for (MathNode& n : factor())
            items.push_back(std::move(n));
        for (;;) {
            if (isNumber(items)) {
                if (const std::size_t length = unitAhead()) {
                    items.push_back(MathNode{
                        Kind::Unit, std::string(text_.substr(at_, length)), false, {}, true});
                    at_ += length;
                    continue;
                }
            }
            if (take("·")) {
                items.push_back(run("·"));
            } else if (take("×")) {
                items.push_back(run("×"));
            } else if (take("/")) {
                MathNode numerator = unbracketed(row(std::move(items)));
                MathNode denominator = unbracketed(row(factor()));
                MathNode f = node(Kind::Fraction,
                                  {rowOf(std::move(numerator)), rowOf(std::move(denominator))});
                items.clear();
                items.push_back(std::move(f));
                continue;
            } else if (!startsOperand()) {
                break;
            }
            for (MathNode& n : factor())
                items.push_back(std::move(n));
        }
        return items;
    }

    std::vector<MathNode> factor() {
        if (take("−") || take("-")) {
            std::vector<MathNode> items{run("−")};
            for (MathNode& n : factor())
                items.push_back(std::move(n));
            return items;
        }
        MathNode base = primary();
        for (;;) {
            if (take("²")) {
                base = node(Kind::Superscript, {row({std::move(base)}), row({run("2")})});
            } else if (take("³")) {
                base = node(Kind::Superscript, {row({std::move(base)}), row({run("3")})});
            } else if (take("^")) {
                MathNode exponent = unbracketed(primary());
                if (exponent.kind == Kind::Fraction) exponent.linear = true;
                if (exponent.kind == Kind::Row)
                    for (MathNode& n : exponent.children)
                        if (n.kind == Kind::Fraction) n.linear = true;
                base =
                    node(Kind::Superscript, {row({std::move(base)}), rowOf(std::move(exponent))});
            } else {
                break;
            }
        }
        return {std::move(base)};
    }

    MathNode primary() {
        // A function's argument keeps its brackets: "sin(θ/2)" is no "sin θ/2".
        const bool argument = std::exchange(afterFunction_, false);
        if (atEnd()) return run("");
        if (take("(")) {
            MathNode inside = row(expression());
            take(")");
            // "(1 / n)": a lone fraction needs no brackets, unless it is raised to a power.
            if (!argument && inside.children.size() == 1 &&
                inside.children[0].kind == Kind::Fraction && !peek("^") && !peek("²") && !peek("³"))
                return std::move(inside.children[0]);
            return node(Kind::Brackets, {std::move(inside)});
        }
        if (take("√")) return node(Kind::Radical, {unbracketedRow(primary())});
        const char c = text_[at_];
        if (isDigit(c) || c == '.') {
            std::string number;
            while (at_ < text_.size() && (isDigit(text_[at_]) || text_[at_] == '.'))
                number += text_[at_++];
            return run(number);
        }
        if (isAsciiLetter(c) || isGreek(text_.substr(at_))) return name();
        if (isIdeograph(text_.substr(at_))) return run(ideographs(), true);
        return run(takeCharacter());
    }

    // The letters of a name: an ASCII letter takes one byte, a Greek one two.
    std::size_t letterAt() const {
        if (at_ >= text_.size()) return 0;
        if (isAsciiLetter(text_[at_])) return 1;
        return isGreek(text_.substr(at_)) ? 2 : 0;
    }

    std::string ideographs() {
        std::string word;
        while (at_ < text_.size() && isIdeograph(text_.substr(at_))) {
            word += text_.substr(at_, 3);
            at_ += 3;
        }
        return word;
    }

    MathNode name() {
        for (const std::string_view f : functionNames) {
            if (text_.substr(at_, f.size()) == f) {
                at_ += f.size();
                afterFunction_ = true;
                return run(std::string(f), true);
            }
        }
        std::vector<std::string> letters;
        while (const std::size_t length = letterAt()) {
            letters.emplace_back(text_.substr(at_, length));
            at_ += length;
        }
        std::string digits;
        while (at_ < text_.size() && isDigit(text_[at_]))
            digits += text_[at_++];
        std::string whole;
        for (const std::string& l : letters)
            whole += l;
        whole += digits;
        for (const std::string_view w : wholeNames)
            if (whole == w) return run(whole, true);
        // An explicit subscript: "h_加大", "h_b", or Chinese right after the name, "v不冲".
        std::string subscript;
        bool upright = false;
        if (at_ < text_.size() && text_[at_] == '_') {
            ++at_;
            if (isIdeograph(text_.substr(at_))) {
                subscript = ideographs();
                upright = true;
            } else {
                while (at_ < text_.size() && (letterAt() != 0 || isDigit(text_[at_]))) {
                    const std::size_t length = std::max<std::size_t>(letterAt(), 1);
                    subscript += text_.substr(at_, length);
                    at_ += length;
                }
            }
        } else if (digits.empty() && isIdeograph(text_.substr(at_))) {
            subscript = ideographs();
            upright = true;
        }
        if (!subscript.empty()) {
            return node(Kind::Subscript,
                        {row({run(whole)}), row({run(std::move(subscript), upright)})});
        }
        // "h1", "hb", "Qd", "hmin", "χ0": the first letter, the rest below it.
        const bool lowerRest = std::all_of(letters.begin() + 1, letters.end(), [](const auto& l) {
            return l.size() == 1 && l[0] >= 'a' && l[0] <= 'z';
        });
        if (lowerRest && letters.size() + digits.size() > 1) {
            return node(Kind::Subscript,
                        {row({run(letters[0])}), row({run(whole.substr(letters[0].size()))})});
        }
        return run(whole);
    }

    static MathNode unbracketedRow(MathNode n) { return rowOf(unbracketed(std::move(n))); }

    std::string_view text_;
    std::size_t at_ = 0;
    bool afterFunction_ = false;  // the name just read is a function's
};

bool needsBrackets(const MathNode& n) {
    return n.kind == Kind::Row && n.children.size() > 1;
}

}  // namespace

MathNode parseFormula(std::string_view formula) {
    return Reader(formula).formula();
}

std::string linearText(const MathNode& n) {
    const auto grouped = [](const MathNode& part) {
        const std::string text = linearText(part);
        return needsBrackets(part) ? "(" + text + ")" : text;
    };
    switch (n.kind) {
        case Kind::Run:
            return n.text;
        case Kind::Unit:
            return n.text == "%" ? n.text : " " + n.text;
        case Kind::Row: {
            std::string text;
            for (const MathNode& c : n.children) {
                const bool spaced =
                    c.kind == Kind::Run && !text.empty() &&
                    (c.text == "+" || c.text == "−" || c.text == "=" || c.text == "<" ||
                     c.text == ">" || c.text == "≤" || c.text == "≥");
                text += spaced ? " " + c.text + " " : c.text == "," ? ", " : linearText(c);
            }
            return text;
        }
        case Kind::Fraction:
            return grouped(n.children[0]) + "/" + grouped(n.children[1]);
        case Kind::Radical:
            return "√(" + linearText(n.children[0]) + ")";
        case Kind::Superscript: {
            // An exponent other than a single number or letter is bracketed: R^(1/6).
            const MathNode& e = n.children[1];
            const bool single =
                e.kind == Kind::Row && e.children.size() == 1 && e.children[0].kind == Kind::Run;
            const std::string exponent = linearText(e);
            return grouped(n.children[0]) + "^" + (single ? exponent : "(" + exponent + ")");
        }
        case Kind::Subscript:
            return linearText(n.children[0]) + linearText(n.children[1]);
        case Kind::Brackets:
            return "(" + linearText(n.children[0]) + ")";
    }
    return {};
}

}  // namespace lintavo
