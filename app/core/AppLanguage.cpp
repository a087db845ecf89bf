#include "app/core/AppLanguage.h"

#include <QCoreApplication>

#include <unicode/locid.h>

namespace {

void setIcuLocale(const QByteArray& name) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(name.constData()), status);
}

} // namespace

AppLanguage::AppLanguage(const QLocale& wanted)
    : m_icuBefore(icu::Locale::getDefault().getName()) {
    m_installed = m_translator.load(wanted, QStringLiteral("brindle-stick"), QStringLiteral("_"),
                                    QStringLiteral(":/i18n"));
    if (m_installed)
        QCoreApplication::installTranslator(&m_translator);
    setIcuLocale(m_installed ? m_translator.language().toUtf8() : QByteArrayLiteral("en"));
}

AppLanguage::~AppLanguage() {
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
    setIcuLocale(m_icuBefore);
}
