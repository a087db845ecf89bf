#pragma once

#include <QByteArray>
#include <QLocale>
#include <QTranslator>

// The language of the window and the terminal tool while this lives: German texts when the locale
// asks for them (by default the system's: LANGUAGE, LANG), English otherwise. ICU's formatting
// (the age of a design, "vor 3 Jahren") is made to speak the same language as the texts around
// it, which LANGUAGE alone would not reach: ICU reads only LANG and LC_*.
class AppLanguage {
public:
    explicit AppLanguage(const QLocale& wanted = QLocale());
    ~AppLanguage();
    AppLanguage(const AppLanguage&) = delete;
    AppLanguage& operator=(const AppLanguage&) = delete;

private:
    QTranslator m_translator;
    bool m_installed = false;
    QByteArray m_icuBefore;
};
