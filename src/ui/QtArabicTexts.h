#pragma once

#include <QTranslator>

// The Arabic of Qt's own texts that Qt's Arabic translation lacks (the file chooser's "Folder",
// "File" and "%1 File" in its type column). Installed after Qt's translation, it answers only
// these and leaves every other text to it.
class QtArabicTexts : public QTranslator
{
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
};
