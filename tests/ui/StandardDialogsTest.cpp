#include "ui/ArabicTextStyle.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/QtArabicTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QPixmap>
#include <QProxyStyle>
#include <QTemporaryDir>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <QTextLayout>
#include <QTranslator>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

bool hasArabic(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.script() == QChar::Script_Arabic; });
}

// Qt's Arabic translation and the texts it lacks, as the program installs them, for one test.
class ArabicQt : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QApplication::setLayoutDirection(Qt::RightToLeft);
        m_style = std::make_unique<ArabicTextStyle>();
        ASSERT_TRUE(m_qt.load(QLocale(QLocale::Arabic), u"qtbase"_s, u"_"_s,
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            << "Qt's Arabic translation (qt6-translations-l10n) is not installed";
        QCoreApplication::installTranslator(&m_qt);
        QCoreApplication::installTranslator(&m_supplement);
    }
    void TearDown() override
    {
        QCoreApplication::removeTranslator(&m_supplement);
        QCoreApplication::removeTranslator(&m_qt);
    }

    std::unique_ptr<ArabicTextStyle> m_style;
    QTranslator m_qt;
    QtArabicTexts m_supplement;
};

// The columns of the button holding dark (text) pixels: first and last, -1 when none.
std::pair<int, int> inkedColumns(const QImage &image)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

// The style of a desktop whose dialog buttons carry icons (offscreen they carry none): a plain
// red disc for every standard button.
class IconButtonsStyle : public QProxyStyle
{
public:
    IconButtonsStyle() : QProxyStyle(u"Fusion"_s) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *data) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1 : QProxyStyle::styleHint(hint, option, widget, data);
    }
    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption *option, const QWidget *widget) const override
    {
        if (pixmap < SP_DialogOkButton || pixmap > SP_DialogNoButton)
            return QProxyStyle::standardIcon(pixmap, option, widget);
        QPixmap disc(16, 16);
        disc.fill(Qt::red);
        return QIcon(disc);
    }
};

} // namespace

TEST_F(ArabicQt, MessageBoxButtonsShowTheirWholeArabicWords)
{
    QApplication::setStyle(new IconButtonsStyle);
    const std::unique_ptr<QMessageBox> box =
        MessageBox::make(nullptr, QMessageBox::Question, u"Dovrelle"_s, u"هل تريد حذف الملف؟"_s,
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok, QMessageBox::No);
    box->show();
    ASSERT_TRUE(box->isVisible());
    EXPECT_TRUE(box->isRightToLeft());
    const QList<QAbstractButton *> buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 3);
    for (QAbstractButton *button : buttons) {
        const QString label = QString(button->text()).remove(u'&');
        EXPECT_TRUE(hasArabic(label)) << label.toStdString();
        EXPECT_TRUE(button->icon().isNull()) << label.toStdString();
        const QImage seen = button->grab().toImage();
        const auto [first, last] = inkedColumns(seen);
        ASSERT_GE(first, 0) << "no text drawn on " << label.toStdString();
        const int needed = button->fontMetrics().horizontalAdvance(label);
        // Whole: as wide as the word, and clear of both edges of the button.
        EXPECT_GE(last - first + 2, needed * 8 / 10) << label.toStdString();
        EXPECT_GE(first, 4) << label.toStdString() << " touches the button's left edge";
        EXPECT_LE(last, seen.width() - 5) << label.toStdString() << " touches the button's right edge";
    }
    box->close();
    QApplication::setStyle(u"Fusion"_s);
}

TEST_F(ArabicQt, FileChooserNamesFoldersAndFiltersInArabic)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"letters"_s));
    QFileSystemModel model;
    const QModelIndex root = model.setRootPath(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(root) == 1; }));
    const QString type = model.index(0, 2, root).data().toString();
    EXPECT_EQ(type, u"مجلد"_s);

    EXPECT_EQ(FileDialog::arabicFilter(u"All (*);;Image (*.jpg)"_s), u"الكل (*);;صورة (*.jpg)"_s);
    EXPECT_EQ(FileDialog::arabicFilter(u"Webpage (*.htm);;All Files (*)"_s), u"صفحة ويب (*.htm);;كل الملفات (*)"_s);
    EXPECT_EQ(FileDialog::arabicFilter(u"Pictures (*.png)"_s), u"Pictures (*.png)"_s);

    QFileDialog chooser(nullptr, u"فتح"_s, dir.path(), FileDialog::arabicFilter(u"All (*);;Image (*.jpg)"_s));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.show();
    auto *types = chooser.findChild<QComboBox *>(u"fileTypeCombo"_s);
    ASSERT_NE(types, nullptr);
    for (int i = 0; i < types->count(); ++i)
        EXPECT_TRUE(hasArabic(types->itemText(i))) << types->itemText(i).toStdString();
    chooser.close();
}

TEST(MenuReadingOrder, EnglishItemsRunLeftToRightInsideARightToLeftMenu)
{
    const QString open = ArabicTextStyle::menuTextInReadingOrder(u"&Open...\tCtrl+O"_s);
    EXPECT_EQ(open.section(u'\t', 1), u"Ctrl+O"_s) << "the shortcut is left alone";
    EXPECT_EQ(ArabicTextStyle::menuTextInReadingOrder(u"فتح..."_s), u"فتح..."_s);
    EXPECT_EQ(ArabicTextStyle::menuTextInReadingOrder(ArabicTextStyle::menuTextInReadingOrder(u"Save"_s)),
              ArabicTextStyle::menuTextInReadingOrder(u"Save"_s));

    // Laid out in a right-to-left line, the dots come after the word, on its right.
    const auto dotsRightOfWord = [](const QString &text) {
        QTextLayout layout(text, QApplication::font());
        QTextOption option;
        option.setTextDirection(Qt::RightToLeft);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1000);
        layout.endLayout();
        const int o = int(text.indexOf(u'O'));
        const int dot = int(text.indexOf(u'.'));
        return line.cursorToX(dot) > line.cursorToX(o);
    };
    EXPECT_FALSE(dotsRightOfWord(u"Open..."_s)) << "the plain text shows \"...Open\"";
    EXPECT_TRUE(dotsRightOfWord(ArabicTextStyle::menuTextInReadingOrder(u"Open..."_s)));

    // The style draws menu items with that text.
    QStyleOptionMenuItem item;
    item.text = u"Open..."_s;
    item.direction = Qt::RightToLeft;
    EXPECT_EQ(ArabicTextStyle::menuItemInReadingOrder(item).text, ArabicTextStyle::menuTextInReadingOrder(u"Open..."_s));
    item.direction = Qt::LeftToRight;
    EXPECT_EQ(ArabicTextStyle::menuItemInReadingOrder(item).text, u"Open..."_s);
}
