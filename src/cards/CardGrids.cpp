#include "CardGrids.h"

#include "base/AppState.h"
#include "base/Commands.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/ItemIcons.h"

#include <QFontMetrics>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace {

// Archived items carry this background on their number cell; an added file found identical to
// an item already listed gets it on that item's description.
const QColor kArchivedColour(220, 220, 255);
const QColor kFolderColour(220, 220, 220);
// Text cells waiting for typing.
const QColor kTextCellColour(236, 233, 216);

constexpr int kFileHeaderHeight = 25;
constexpr int kItemRowHeight = 40;
constexpr int kCardTextRowHeight = 80;
// A text taken from an information feed.
constexpr int kFeedTextRowHeight = 90;
constexpr int kClassHeaderHeight = 20;
constexpr int kClassRowHeight = 25;

constexpr int kFileColumnWidths[CardFileList::FileColumnCount] = {40, 0, 150, 140, 60, 0, 0, 140, 0, 0, 0, 0};
constexpr int kCardTextColumnWidths[CardGrids::TextColumnCount] = {40, 105, 385, 0, 0};
constexpr int kClassColumnWidths[CardGrids::ClassColumnCount] = {55, 0, 160};

const QSize kClassListSize(240, 130);
const QSize kItemListSize(555, 330);

const QString kTextFontFamily = u"Simplified Arabic"_s;
constexpr int kTextFontHeight = 24;

QColor colourOf(CardFileList::Shade shade)
{
    switch (shade) {
    case CardFileList::Shade::Archived:
    case CardFileList::Shade::SameFile: return kArchivedColour;
    case CardFileList::Shade::Folder: return kFolderColour;
    case CardFileList::Shade::None: break;
    }
    return {};
}

// The texts' font is given by its cell height (ascent plus descent), not by its em size.
QFont textFont()
{
    QFont font(kTextFontFamily);
    font.setWeight(QFont::Thin);
    font.setPixelSize(kTextFontHeight);
    const int height = QFontMetrics(font).height();
    if (height > kTextFontHeight)
        font.setPixelSize(std::max(1, kTextFontHeight * kTextFontHeight / height));
    return font;
}

} // namespace

CardGrids::CardGrids(CGridCtrl *classes, CGridCtrl *files, CGridCtrl *texts)
    : m_classes(classes), m_files(files), m_texts(texts)
{
    m_classes->setGridKind(kClassListKind);
    m_classes->setColumnCount(ClassColumnCount);
    m_classes->setRowCount(1);
    m_classes->setFixedRowCount(1);
    m_classes->setFixedColumnCount(1);
    for (int c = 0; c < ClassColumnCount; ++c)
        m_classes->setColumnWidth(c, kClassColumnWidths[c]);
    m_classes->setRowHeight(0, kClassHeaderHeight);
    m_classes->setDefaultRowHeight(kClassRowHeight);
    m_classes->setText(0, ClassNumber, tr("الرقم"));
    m_classes->setText(0, ClassName, tr("التصنيف"));
    m_classes->setImageList(ItemIcons::classes());
    m_classes->setFixedSize(kClassListSize);

    m_files->setGridKind(kFileListKind);
    m_files->setColumnCount(CardFileList::FileColumnCount);
    m_files->setRowCount(1);
    m_files->setFixedRowCount(1);
    m_files->setFixedColumnCount(1);
    for (int c = 0; c < CardFileList::FileColumnCount; ++c)
        m_files->setColumnWidth(c, kFileColumnWidths[c]);
    m_files->setRowHeight(0, kFileHeaderHeight);
    const std::pair<CardFileList::Column, QString> headers[] = {
        {CardFileList::FileClasses, tr("التصنيفات")},     {CardFileList::FileDescription, tr("شرح")},
        {CardFileList::FileKeywords, tr("كلمات مفتاحية(Kewords)")}, {CardFileList::FileSize, tr("الحجم")},
        {CardFileList::FileStoredFolder, tr("المسار")},   {CardFileList::FileSourceFolder, tr("المسار")},
        {CardFileList::FileName, tr("الملف")}};
    for (const auto &[column, text] : headers)
        m_files->setText(0, column, text);
    m_files->setImageList(ItemIcons::items());
    m_files->setMinimumSize(kItemListSize);

    m_texts->setGridKind(kTextListKind);
    m_texts->setColumnCount(TextColumnCount);
    m_texts->setRowCount(0);
    m_texts->setFixedRowCount(0);
    m_texts->setFixedColumnCount(1);
    for (int c = 0; c < TextColumnCount; ++c)
        m_texts->setColumnWidth(c, kCardTextColumnWidths[c]);
    m_texts->setFont(textFont());
    m_texts->setImageList(ItemIcons::items());
    m_texts->setMinimumSize(kItemListSize);
}

void CardGrids::drawAll(const QList<CardClasses::Entry> &classes, const CardFileList &files,
                        const QList<TextItem> &texts)
{
    for (CGridCtrl *grid : {m_classes, m_files, m_texts})
        grid->removeNonFixedRows();
    const GridModel::BatchScope classBatch(m_classes->gridModel());
    const GridModel::BatchScope fileBatch(m_files->gridModel());
    const GridModel::BatchScope textBatch(m_texts->gridModel());
    for (const CardClasses::Entry &entry : classes)
        drawClassRow(m_classes->appendRow(), entry);
    for (int i = 0; i < files.count(); ++i) {
        m_files->appendRow();
        drawFileRow(files, i);
    }
    for (const TextItem &text : texts)
        drawTextRow(m_texts->appendRow(), text);
}

void CardGrids::drawClassRow(int row, const CardClasses::Entry &entry)
{
    m_classes->setText(row, ClassCode, entry.code);
    m_classes->setText(row, ClassName, entry.name);
    m_classes->setRowHeight(row, kClassRowHeight);
}

void CardGrids::drawFileRow(const CardFileList &files, int index)
{
    const int row = index + 1;
    for (int column = 0; column < CardFileList::FileColumnCount; ++column) {
        const CardFileList::Cell cell = files.cell(index, column);
        m_files->setText(row, column, cell.text);
        m_files->setImage(row, column, cell.image);
        m_files->setBackground(row, column, colourOf(cell.shade));
    }
}

void CardGrids::drawFileShade(const CardFileList &files, int index, int column)
{
    m_files->setBackground(index + 1, column, colourOf(files.cell(index, column).shade));
}

void CardGrids::drawTextRow(int row, const TextItem &text, bool fromFeed)
{
    m_texts->setText(row, TextNumber, QString::number(text.archived ? text.itemNumber : row + 1));
    m_texts->setText(row, TextKeywords, text.keywords);
    m_texts->setText(row, TextBody, text.text);
    m_texts->setImage(row, TextKeywords, text.archived ? CardFileList::ArchivedMark : CardFileList::NoIcon);
    m_texts->setRowHeight(row, fromFeed ? kFeedTextRowHeight : kCardTextRowHeight);
    m_texts->setBackground(row, TextKeywords, kTextCellColour);
    m_texts->setBackground(row, TextBody, kTextCellColour);
}

void CardGrids::renumberFiles(const CardFileList &files)
{
    const GridModel::BatchScope batch(m_files->gridModel());
    for (int row = 1; row < m_files->rowCount() && row <= files.count(); ++row) {
        m_files->setText(row, CardFileList::FileNumber, files.cell(row - 1, CardFileList::FileNumber).text);
        m_files->setRowHeight(row, kItemRowHeight);
    }
}

void CardGrids::filterClasses(const QList<CardClasses::Entry> &classes, const QString &filter)
{
    for (int row = 1; row < m_classes->rowCount() && row <= classes.size(); ++row)
        m_classes->setRowHeight(row, classes.at(row - 1).name.contains(filter) ? kClassRowHeight : 0);
}

int CardGrids::chooseCommand(bool files, const AppState &state, const QPoint &globalPos, QWidget *parent)
{
    const std::pair<int, QString> items[] = {
        {files ? Command::ViewFile : Command::ViewText, tr("عرض")},
        {files ? Command::DeleteFile : Command::EditText, files ? tr("حذف") : tr("تحرير")},
        {files ? Command::EnterText : Command::DeleteText, files ? tr("ادخال النص") : tr("حذف")},
    };
    QMenu menu(parent);
    for (const auto &[command, text] : items) {
        QAction *action = menu.addAction(text);
        action->setData(command);
        action->setEnabled(isCommandEnabled(command, state, {}));
    }
    const QAction *chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}
