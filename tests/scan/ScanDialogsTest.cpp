// The scanning dialogs built from SANE's test backend, offscreen.

#include "common/SaneTestBackend.h"
#include "scan/CScanOptionsDlg.h"
#include "scan/CSourceDlg.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class ScanDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_SANE_TEST_BACKEND();
        MessageBox::setTestMode(true);
        QApplication::setLayoutDirection(Qt::RightToLeft);
        ASSERT_TRUE(m_scanner.Initialise());
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    CTwain m_scanner;
};

} // namespace

TEST_F(ScanDialogs, SelectSourceListsTheDevicesWithMakerAndModelAndStartsOnTheCurrentOne)
{
    const auto devices = m_scanner.devices();
    ASSERT_TRUE(devices.ok());
    CSourceDlg dialog(*devices, u"test:1"_s);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), u"Select Source"_s);
    EXPECT_TRUE(dialog.isRightToLeft());
    QTreeWidget *list = dialog.list();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), u"test:0"_s);
    EXPECT_EQ(list->topLevelItem(0)->text(1), u"Noname"_s);
    EXPECT_EQ(list->topLevelItem(0)->text(2), devices->constFirst().model);
    EXPECT_EQ(list->headerItem()->text(1), u"الصانع"_s);
    EXPECT_EQ(dialog.chosen(), u"test:1"_s);

    // A double click on the other device chooses it and closes the dialog.
    QTreeWidgetItem *first = list->topLevelItem(0);
    const QRect at = list->visualItemRect(first);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at.center());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosen(), u"test:0"_s);
}

TEST_F(ScanDialogs, TheOptionsDialogIsBuiltFromTheDevicesOptionsAndDrivesTheDevice)
{
    ASSERT_TRUE(m_scanner.OpenDataSource(u"test:0"_s).ok());
    CScanOptionsDlg dialog(m_scanner);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(dialog.isRightToLeft());

    // The five of every scan in the basic part, with the device's values.
    auto *source = qobject_cast<QComboBox *>(dialog.editor(u"source"_s));
    auto *mode = qobject_cast<QComboBox *>(dialog.editor(u"mode"_s));
    auto *resolution = qobject_cast<QDoubleSpinBox *>(dialog.editor(u"resolution"_s));
    ASSERT_NE(source, nullptr);
    ASSERT_NE(mode, nullptr);
    ASSERT_NE(resolution, nullptr);
    EXPECT_TRUE(source->isVisible());
    EXPECT_EQ(source->currentText(), u"Flatbed"_s);
    EXPECT_EQ(source->count(), 2);
    EXPECT_EQ(mode->currentText(), u"Gray"_s);
    EXPECT_DOUBLE_EQ(resolution->value(), 50.0);
    EXPECT_EQ(resolution->maximum(), 1200.0);
    EXPECT_EQ(resolution->suffix(), u" dpi"_s);
    for (const QString &area : {u"tl-x"_s, u"tl-y"_s, u"br-x"_s, u"br-y"_s}) {
        auto *box = qobject_cast<QDoubleSpinBox *>(dialog.editor(area));
        ASSERT_NE(box, nullptr) << area.toStdString();
        EXPECT_FALSE(dialog.advancedPart()->isAncestorOf(box)) << area.toStdString();
        EXPECT_EQ(box->suffix(), u" mm"_s);
    }
    EXPECT_NEAR(qobject_cast<QDoubleSpinBox *>(dialog.editor(u"br-y"_s))->value(), 279.4, 0.01);

    // The rest stands in the advanced part, hidden until asked for.
    QWidget *depth = dialog.editor(u"depth"_s);
    ASSERT_NE(depth, nullptr);
    EXPECT_TRUE(dialog.advancedPart()->isAncestorOf(depth));
    EXPECT_FALSE(depth->isVisible());
    auto *showAdvanced = dialog.findChild<QToolButton *>(u"showAdvanced"_s);
    ASSERT_NE(showAdvanced, nullptr);
    QTest::mouseClick(showAdvanced, Qt::LeftButton);
    EXPECT_TRUE(dialog.advancedPart()->isVisible());
    EXPECT_TRUE(dialog.editor(u"depth"_s)->isVisible());
    EXPECT_EQ(dialog.editor(u"three-pass"_s), nullptr) << "offered in colour only";

    // Choosing colour goes to the device, and the form shows what colour offers.
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down);
    QTRY_COMPARE(m_scanner.options().find(u"mode"_s)->value.toString(), u"Color"_s);
    QTRY_VERIFY(dialog.editor(u"three-pass"_s) != nullptr);
    EXPECT_EQ(qobject_cast<QComboBox *>(dialog.editor(u"mode"_s))->currentText(), u"Color"_s);
    auto *threePass = qobject_cast<QCheckBox *>(dialog.editor(u"three-pass"_s));
    ASSERT_NE(threePass, nullptr);
    threePass->click();
    QTRY_VERIFY(m_scanner.options().find(u"three-pass"_s)->value.toBool());

    auto *dpi = qobject_cast<QDoubleSpinBox *>(dialog.editor(u"resolution"_s));
    dpi->setValue(120);
    QTRY_COMPARE(m_scanner.options().find(u"resolution"_s)->value.toDouble(), 120.0);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    auto *scan = dialog.findChild<QPushButton *>(u"scan"_s);
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->text(), u"مسح"_s);
    scan->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
