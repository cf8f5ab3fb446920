#include "xpath_bound.h"

#include <QStringList>
#include <QVector>

namespace {

enum class Kind {
    Name,         // a name test, function name, axis name or node type
    Star,         // "*" as a name test
    Multiply,     // "*" as an operator
    OperatorName, // and, or, div, mod
    Literal,
    Number,
    Dot,
    DotDot,
    At,
    Comma,
    Open,
    Close,
    OpenBracket,
    CloseBracket,
    Slash,
    DoubleSlash,
    Pipe,
    Compare,
    Arithmetic,
    AxisSeparator,
    Dollar,
    Other,
};

struct Token
{
    Kind kind;
    QString text;
};

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c.unicode() >= 0x80;
}

bool isNameChar(QChar c)
{
    return isNameStart(c) || c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-');
}

bool isOperator(Kind kind)
{
    switch (kind) {
    case Kind::Slash:
    case Kind::DoubleSlash:
    case Kind::Pipe:
    case Kind::Compare:
    case Kind::Arithmetic:
    case Kind::Multiply:
    case Kind::OperatorName:
        return true;
    default:
        return false;
    }
}

// XPath's own rule: a "*" or an operator name stands where an operand may
// start only after nothing, "@", "::", "(", "[", "," or an operator.
bool operandMayStart(const Token* previous)
{
    if (!previous)
        return true;
    const Kind last = previous->kind;
    return last == Kind::At || last == Kind::AxisSeparator || last == Kind::Open || last == Kind::OpenBracket
        || last == Kind::Comma || isOperator(last);
}

bool tokenize(const QString& text, QVector<Token>* tokens, QString* why)
{
    const int n = text.size();
    int i = 0;
    auto add = [&](Kind kind, int length) {
        tokens->append({kind, text.mid(i, length)});
        i += length;
    };
    while (i < n) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = text.indexOf(c, i + 1);
            if (end < 0) {
                *why = QStringLiteral("a text is not closed");
                return false;
            }
            add(Kind::Literal, end - i + 1);
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            int end = i;
            while (end < n && (text.at(end).isDigit() || text.at(end) == QLatin1Char('.')))
                ++end;
            add(Kind::Number, end - i);
        } else if (c == QLatin1Char('.')) {
            add(next == QLatin1Char('.') ? Kind::DotDot : Kind::Dot, next == QLatin1Char('.') ? 2 : 1);
        } else if (c == QLatin1Char('/')) {
            add(next == QLatin1Char('/') ? Kind::DoubleSlash : Kind::Slash, next == QLatin1Char('/') ? 2 : 1);
        } else if (c == QLatin1Char(':') && next == QLatin1Char(':')) {
            add(Kind::AxisSeparator, 2);
        } else if (c == QLatin1Char('!') && next == QLatin1Char('=')) {
            add(Kind::Compare, 2);
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>')) {
            add(Kind::Compare, next == QLatin1Char('=') ? 2 : 1);
        } else if (c == QLatin1Char('=')) {
            add(Kind::Compare, 1);
        } else if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
            add(Kind::Arithmetic, 1);
        } else if (c == QLatin1Char('*')) {
            add(operandMayStart(tokens->isEmpty() ? nullptr : &tokens->last()) ? Kind::Star : Kind::Multiply, 1);
        } else if (isNameStart(c)) {
            int end = i;
            while (end < n && isNameChar(text.at(end)))
                ++end;
            // A prefixed name: "prefix:local" or "prefix:*".
            if (end + 1 < n && text.at(end) == QLatin1Char(':') && text.at(end + 1) != QLatin1Char(':')) {
                ++end;
                if (end < n && text.at(end) == QLatin1Char('*'))
                    ++end;
                while (end < n && isNameChar(text.at(end)))
                    ++end;
            }
            const QString name = text.mid(i, end - i);
            static const QStringList operators = {QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("div"),
                                                  QStringLiteral("mod")};
            add(!operandMayStart(tokens->isEmpty() ? nullptr : &tokens->last()) && operators.contains(name) ? Kind::OperatorName : Kind::Name, end - i);
        } else {
            static const QString singles = QStringLiteral("@,()[]|$");
            static const Kind kinds[] = {Kind::At,          Kind::Comma,        Kind::Open, Kind::Close,
                                         Kind::OpenBracket, Kind::CloseBracket, Kind::Pipe, Kind::Dollar};
            const int k = singles.indexOf(c);
            add(k >= 0 ? kinds[k] : Kind::Other, 1);
        }
    }
    return true;
}

bool isNodeType(const QString& name)
{
    return name == QLatin1String("node") || name == QLatin1String("text") || name == QLatin1String("comment")
        || name == QLatin1String("processing-instruction");
}

bool isWideAxis(const QString& name)
{
    return name.startsWith(QLatin1String("descendant")) || name.startsWith(QLatin1String("ancestor"))
        || name.startsWith(QLatin1String("following")) || name.startsWith(QLatin1String("preceding"));
}

// Within a condition, per level of brackets and parentheses: whether the
// operand before a comparison held a path, and whether the current one does.
struct Comparison
{
    bool leftHasPath = false;
    bool sideHasPath = false;
};

} // namespace

bool xpathWithinBounds(const QString& expression, QString* why)
{
    QString reason;
    auto refuse = [&](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (expression.size() > kMaxXPathLength)
        return refuse(QStringLiteral("longer than %1 characters").arg(kMaxXPathLength));
    QVector<Token> tokens;
    if (!tokenize(expression, &tokens, &reason))
        return refuse(reason);

    int nesting = 0;
    int conditions = 0;
    int wideSteps = 0; // of the current path outside conditions
    QVector<Comparison> levels{Comparison()};
    for (int i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens.at(i);
        const Kind nextKind = i + 1 < tokens.size() ? tokens.at(i + 1).kind : Kind::Other;
        const bool startsOperand = operandMayStart(i == 0 ? nullptr : &tokens.at(i - 1));
        const bool axis = token.kind == Kind::Name && nextKind == Kind::AxisSeparator;
        const bool call = token.kind == Kind::Name && nextKind == Kind::Open && !isNodeType(token.text);
        if (call && token.text == QLatin1String("id"))
            return refuse(QStringLiteral("id() is not supported"));

        switch (token.kind) {
        case Kind::Open:
        case Kind::OpenBracket:
            if (++nesting > kMaxXPathNesting)
                return refuse(QStringLiteral("nested more than %1 deep").arg(kMaxXPathNesting));
            if (token.kind == Kind::OpenBracket && ++conditions > kMaxXPathConditionDepth)
                return refuse(QStringLiteral("conditions nested more than %1 deep").arg(kMaxXPathConditionDepth));
            if (token.kind == Kind::Open && conditions == 0)
                wideSteps = 0;
            levels.append(Comparison());
            continue;
        case Kind::Close:
        case Kind::CloseBracket:
            nesting = qMax(0, nesting - 1);
            if (token.kind == Kind::CloseBracket)
                conditions = qMax(0, conditions - 1);
            if (levels.size() > 1)
                levels.removeLast();
            continue;
        case Kind::Pipe:
        case Kind::Comma:
            if (conditions == 0)
                wideSteps = 0;
            levels.last() = Comparison();
            continue;
        case Kind::OperatorName:
            if (token.text == QLatin1String("and") || token.text == QLatin1String("or"))
                levels.last() = Comparison();
            continue;
        case Kind::Compare:
            levels.last().leftHasPath = levels.last().sideHasPath;
            levels.last().sideHasPath = false;
            continue;
        default:
            break;
        }

        if (conditions == 0) {
            if (token.kind == Kind::DoubleSlash || (axis && isWideAxis(token.text))) {
                if (++wideSteps > 1)
                    return refuse(QStringLiteral("a path searches widely more than once"));
            }
            continue;
        }

        // Inside a condition: only what lies near the node being tested.
        if (token.kind == Kind::DoubleSlash)
            return refuse(QStringLiteral("\"//\" inside a condition"));
        if (token.kind == Kind::Slash && startsOperand)
            return refuse(QStringLiteral("an absolute path inside a condition"));
        if (token.kind == Kind::DotDot)
            return refuse(QStringLiteral("\"..\" inside a condition"));
        if (axis && token.text != QLatin1String("child") && token.text != QLatin1String("attribute")
            && token.text != QLatin1String("self"))
            return refuse(QStringLiteral("the axis %1 inside a condition").arg(token.text));
        const bool pathStart = startsOperand
            && ((token.kind == Kind::Name && !call) || token.kind == Kind::Star || token.kind == Kind::At
                || token.kind == Kind::Dot);
        if (pathStart) {
            if (levels.last().leftHasPath)
                return refuse(QStringLiteral("a condition compares two paths"));
            levels.last().sideHasPath = true;
        }
    }
    return true;
}
