#pragma once

#include <QString>
#include <QStringList>

// The text of a card's values: escapes undone, split into parts and words, white space tidied.
namespace quill::contacts {

/// Splits at unescaped `separator` and undoes the escapes (\, \; \n \\).
QStringList components(const QString &text, QChar separator);

/// The text with its escapes undone.
QString unescaped(const QString &text);

/// The words of a name field: split at commas and white space, empty ones left out.
QStringList words(const QString &text);

/// As QString::simplified(), without a copy when the text is simple already.
QString simplifiedText(QString text);

/// A structured name (N) as the family name, simplified, and the given and additional names'
/// words.
void splitName(const QString &text, QString *family, QStringList *given);

} // namespace quill::contacts
