#include "TextConverter.h"

#include "base/SystemError.h"

#include "DocxReader.h"
#include "OfficeConverter.h"
#include "PdfReader.h"
#include "PlainTextReader.h"
#include "base/Cp1256.h"

#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

Result<QString> TextConverter::convert(const QString &path, const OcrReader::Progress &progress)
{
    if (!QFileInfo(path).isFile())
        return Result<QString>::failure(tr("الملف %1 غير موجود").arg(path));
    switch (DocumentKinds::ofFile(path)) {
    case DocumentKind::PlainText: return PlainTextReader::read(path);
    case DocumentKind::Docx: return DocxReader::read(path);
    case DocumentKind::Word97: return OfficeConverter::read(path, u"doc"_s, kOfficeTimeoutMs);
    case DocumentKind::Rtf: return OfficeConverter::read(path, u"rtf"_s, kOfficeTimeoutMs);
    case DocumentKind::Pdf: return PdfReader::read(path, progress);
    case DocumentKind::Picture: return OcrReader::readPictureFile(path, progress);
    case DocumentKind::Unknown: break;
    }
    return Result<QString>::refused(tr("نوع الملف غير معروف، ولا يستخرج منه نص"));
}

Status TextConverter::writeCp1256(const QString &text, const QString &outPath)
{
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly))
        return Status::failure(tr("تعذر كتابة الملف %1: %2").arg(outPath, out.errorString()));
    out.write(Cp1256::encodeLossy(text));
    if (!commitWhole(out))
        return Status::failure(tr("تعذر كتابة الملف %1: %2").arg(outPath, out.errorString()));
    return {};
}
