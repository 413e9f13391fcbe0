#include "SystemError.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <locale.h>

namespace {

struct SystemErrorTr
{
    Q_DECLARE_TR_FUNCTIONS(SystemError)
};

locale_t errorTextLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

} // namespace

QString systemErrorText(int code)
{
    if (code == ENOSPC || code == EDQUOT)
        return SystemErrorTr::tr("لا توجد مساحة كافية على القرص");
    if (code == EFBIG)
        return SystemErrorTr::tr("تجاوز الملف الحجم الذي يسمح به النظام");
    if (code == ENOENT)
        return SystemErrorTr::tr("الملف او المجلد غير موجود");
    if (code == EROFS)
        return SystemErrorTr::tr("القرص للقراءة فقط");
    if (code == EACCES || code == EPERM)
        return SystemErrorTr::tr("لا توجد صلاحية الوصول");
    if (code == EIO)
        return SystemErrorTr::tr("خطأ في القراءة او الكتابة على القرص");
    return SystemErrorTr::tr("خطأ من النظام %1: %2").arg(code).arg(plainSystemErrorText(code));
}

QString plainSystemErrorText(int code)
{
    const locale_t locale = errorTextLocale();
    return QString::fromLocal8Bit(locale ? strerror_l(code, locale) : std::strerror(code));
}

QString lastSystemErrorText()
{
    return systemErrorText(errno);
}

QString fileErrorText(const QFileDevice &file)
{
    const QString text = file.errorString();
    for (const int code : {ENOSPC, EDQUOT, EFBIG, ENOENT, EROFS, EACCES, EPERM, EIO}) {
        if (text == qt_error_string(code))
            return systemErrorText(code);
    }
    return text;
}

bool commitWhole(QSaveFile &file)
{
    // Not committed, the file is dropped when it goes; its error stays for the message.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return false;
    return file.commit();
}
