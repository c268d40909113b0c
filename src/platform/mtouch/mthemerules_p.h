#ifndef MTHEMERULES_P_H
#define MTHEMERULES_P_H

#include <QHash>
#include <QString>

// The attribute file of a theme (docs/theme.md): "Selector { key: value; ... }" blocks, where
// "#" starts a comment only at the start of a line.
class MThemeRules
{
public:
    using Attributes = QHash<QString, QString>;
    // "Class" or "Class#name" -> attribute -> value
    using Rules = QHash<QString, Attributes>;

    // Adds the blocks of text to rules; later values win.
    static void parse(const QString& text, Rules& rules);
};

#endif
