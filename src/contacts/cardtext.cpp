#include "cardtext.h"

namespace quill::contacts {

namespace {

bool isGap(QChar c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Whether QString::simplified() would leave the text as it is.
bool isSimple(QStringView text)
{
    bool afterSpace = true; // a space at the start is taken away
    for (const QChar c : text) {
        if (c == u' ') {
            if (afterSpace)
                return false;
            afterSpace = true;
        } else if (c.unicode() < 0x80 ? (c >= u'\t' && c <= u'\r') : c.isSpace()) {
            return false;
        } else {
            afterSpace = false;
        }
    }
    return !afterSpace || text.isEmpty();
}

// The words of a part of a name field without escapes, each one appended to `out`.
void appendWords(QStringView text, QStringList &out)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool gap = i == text.size() || text[i] == u',' || isGap(text[i]);
        if (gap && start >= 0) {
            out << text.sliced(start, i - start).toString();
            start = -1;
        } else if (!gap && start < 0) {
            start = i;
        }
    }
}

} // namespace

QStringList components(const QString &text, QChar separator)
{
    if (!text.contains(u'\\')) {
        QStringList parts;
        parts.reserve(text.count(separator) + 1);
        qsizetype start = 0;
        for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, start)) {
            parts << text.sliced(start, at - start);
            start = at + 1;
        }
        parts << (start == 0 ? text : text.sliced(start));
        return parts;
    }
    QStringList parts{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            parts.last() += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
        } else if (c == separator) {
            parts << QString();
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

QString unescaped(const QString &text)
{
    if (!text.contains(u'\\'))
        return text;
    return components(text, QChar(0)).join(QString());
}

QStringList words(const QString &text)
{
    QStringList out;
    if (text.isEmpty())
        return out;
    for (const QString &part : components(text, u',')) {
        qsizetype start = -1;
        for (qsizetype i = 0; i <= part.size(); ++i) {
            const bool gap = i == part.size() || isGap(part[i]);
            if (gap && start >= 0) {
                out << (start == 0 && i == part.size() ? part : part.sliced(start, i - start));
                start = -1;
            } else if (!gap && start < 0) {
                start = i;
            }
        }
    }
    return out;
}

QString simplifiedText(QString text)
{
    if (isSimple(text))
        return text;
    return std::move(text).simplified();
}

void splitName(const QString &text, QString *family, QStringList *given)
{
    if (text.contains(u'\\')) {
        // Escapes: undone once for the parts, and once more for the words, as ever.
        const QStringList n = components(text, u';');
        *family = n.value(0).simplified();
        *given = words(n.value(1)) + words(n.value(2));
        return;
    }
    // Without escapes the parts and words point into the text until they are kept.
    const QStringView whole(text);
    const qsizetype first = whole.indexOf(u';');
    *family = simplifiedText(first < 0 ? text : whole.first(first).toString());
    given->clear();
    if (first < 0)
        return;
    const QStringView rest = whole.sliced(first + 1);
    const qsizetype second = rest.indexOf(u';');
    const qsizetype third = second < 0 ? -1 : rest.indexOf(u';', second + 1);
    appendWords(second < 0 ? rest : rest.first(second), *given);
    if (second >= 0)
        appendWords(third < 0 ? rest.sliced(second + 1)
                              : rest.sliced(second + 1, third - second - 1),
                    *given);
}

} // namespace quill::contacts
