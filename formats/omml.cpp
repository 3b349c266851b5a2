#include "formats/omml.h"

#include <utility>

namespace lintavo {

namespace {

using Kind = MathNode::Kind;

MathNode run(std::string text) {
    return MathNode{Kind::Run, std::move(text), false, {}};
}

MathNode node(Kind kind, std::vector<MathNode> children) {
    return MathNode{kind, {}, false, std::move(children)};
}

MathNode row(std::vector<MathNode> children) {
    return node(Kind::Row, std::move(children));
}

// A row that is one pair of brackets stands for what is inside them where the layout shows
// the grouping itself: a numerator, a denominator, an exponent.
MathNode unbracketed(MathNode r) {
    if (r.kind == Kind::Row && r.children.size() == 1 && r.children[0].kind == Kind::Brackets)
        return std::move(r.children[0].children[0]);
    if (r.kind == Kind::Brackets) return std::move(r.children[0]);
    return r;
}

// Recursive descent over the formula's UTF-8 text:
//   expr    := term (("+" | "−" | "-" | "=") term)*
//   term    := factor (("·" | "×") factor | "/" factor)*
//   factor  := ("−" | "-") factor | primary ("²" | "^" primary)*
//   primary := "(" expr ")" | "√" primary | number | name | any other character
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    MathNode formula() {
        std::vector<MathNode> items = expression();
        // Whatever is left (an unmatched bracket) is kept as text.
        while (!atEnd())
            items.push_back(run(takeCharacter()));
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
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(text_[at_]);
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        std::string c(text_.substr(at_, length));
        at_ += length;
        return c;
    }

    std::vector<MathNode> expression() {
        std::vector<MathNode> items = term();
        for (;;) {
            std::string op;
            if (take("+")) {
                op = "+";
            } else if (take("−") || take("-")) {
                op = "−";
            } else if (take("=")) {
                op = "=";
            } else {
                break;
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
            if (take("·")) {
                items.push_back(run("·"));
            } else if (take("×")) {
                items.push_back(run("×"));
            } else if (take("/")) {
                MathNode numerator = unbracketed(row(std::move(items)));
                MathNode denominator = unbracketed(row(factor()));
                MathNode f = node(Kind::Fraction,
                                  {numerator.kind == Kind::Row ? std::move(numerator)
                                                               : row({std::move(numerator)}),
                                   denominator.kind == Kind::Row ? std::move(denominator)
                                                                 : row({std::move(denominator)})});
                items.clear();
                items.push_back(std::move(f));
                continue;
            } else {
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
            } else if (take("^")) {
                MathNode exponent = unbracketed(primary());
                if (exponent.kind == Kind::Fraction) exponent.linear = true;
                if (exponent.kind == Kind::Row)
                    for (MathNode& n : exponent.children)
                        if (n.kind == Kind::Fraction) n.linear = true;
                base = node(Kind::Superscript,
                            {row({std::move(base)}), exponent.kind == Kind::Row
                                                         ? std::move(exponent)
                                                         : row({std::move(exponent)})});
            } else {
                break;
            }
        }
        return {std::move(base)};
    }

    MathNode primary() {
        if (atEnd()) return run("");
        if (take("(")) {
            MathNode inside = row(expression());
            take(")");
            // "(1 / n)": a lone fraction needs no brackets, unless it is raised to a power.
            if (inside.children.size() == 1 && inside.children[0].kind == Kind::Fraction &&
                !peek("^") && !peek("²"))
                return std::move(inside.children[0]);
            return node(Kind::Brackets, {std::move(inside)});
        }
        if (take("√")) return node(Kind::Radical, {unbracketedRow(primary())});
        const char c = text_[at_];
        if ((c >= '0' && c <= '9') || c == '.') {
            std::string number;
            while (at_ < text_.size() &&
                   ((text_[at_] >= '0' && text_[at_] <= '9') || text_[at_] == '.'))
                number += text_[at_++];
            return run(number);
        }
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            std::string letters;
            while (at_ < text_.size() && ((text_[at_] >= 'A' && text_[at_] <= 'Z') ||
                                          (text_[at_] >= 'a' && text_[at_] <= 'z')))
                letters += text_[at_++];
            std::string digits;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
                digits += text_[at_++];
            if (letters.size() == 1 && !digits.empty())
                return node(Kind::Subscript, {row({run(letters)}), row({run(digits)})});
            return run(letters + digits);
        }
        return run(takeCharacter());
    }

    static MathNode unbracketedRow(MathNode n) {
        MathNode inner = unbracketed(std::move(n));
        return inner.kind == Kind::Row ? inner : row({std::move(inner)});
    }

    std::string_view text_;
    std::size_t at_ = 0;
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
        case Kind::Row: {
            std::string text;
            for (const MathNode& c : n.children) {
                const bool spaced = c.kind == Kind::Run &&
                                    (c.text == "+" || c.text == "−" || c.text == "=") &&
                                    !text.empty();
                text += spaced ? " " + c.text + " " : linearText(c);
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
