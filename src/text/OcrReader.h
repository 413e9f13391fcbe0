#pragma once

#include "base/Result.h"

#include <QCoreApplication>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// Recognises the text of scanned pages with Tesseract, with its Arabic and English models, so
// that a scanned letter becomes searchable.
class OcrReader
{
    Q_DECLARE_TR_FUNCTIONS(OcrReader)

public:
    // Told before each page: the page about to be read (from 1) and how many there are.
    using Progress = std::function<void(int page, int pages)>;

    OcrReader();
    ~OcrReader();
    OcrReader(const OcrReader &) = delete;
    OcrReader &operator=(const OcrReader &) = delete;

    // Loads the models; fails with the reason when they are not installed.
    Status start();
    Result<QString> recognise(const QImage &page, int dotsPerInch);

    // Every page of a picture file (a TIFF may hold several).
    static Result<QString> readPictureFile(const QString &path, const Progress &progress);

    static QString languages();

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
};
