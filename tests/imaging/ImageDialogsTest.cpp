// The image commands' dialogs offscreen: what each starts with, the values it gives after the user
// changes its controls with keys and clicks, and what they all share (left to right, Enter, Escape,
// nothing cut off).

#include "imaging/CColorizeDlg.h"
#include "imaging/CCombineDlg.h"
#include "imaging/CDitherDlg.h"
#include "imaging/CFFTDlg.h"
#include "imaging/CGammaDlg.h"
#include "imaging/CJpegDlg.h"
#include "imaging/CMixDlg.h"
#include "imaging/CRepairDlg.h"
#include "imaging/CResampleDlg.h"
#include "imaging/CRotateDlg.h"
#include "imaging/CTextDlg.h"
#include "imaging/CThresholdDlg.h"
#include "imaging/ColourChooser.h"
#include "imaging/ImageCommands.h"
#include "imaging/ImageDocument.h"
#include "imaging/ImageParamNames.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;
namespace P = ImageParam;

namespace {

template <typename T>
T *child(QWidget *dialog, const QString &name)
{
    T *w = dialog->findChild<T *>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

// Replaces what a spin box shows, as a user selecting all and typing does.
void typeInto(QAbstractSpinBox *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

// Clicks where the button reacts: a check box or radio button only on its box and its text.
void click(QAbstractButton *button)
{
    const bool boxed = qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, boxed ? QPoint(6, button->height() / 2) : button->rect().center());
}

void chooseByKeys(QComboBox *combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

const QStringList kWindows{u"scan.jpg"_s, u"logo.png"_s, u"Copy 3 of scan.jpg"_s};

using Make = std::function<std::unique_ptr<QDialog>()>;

std::vector<std::pair<const char *, Make>> everyDialog()
{
    return {
        {"rotate", [] { return std::make_unique<CRotateDlg>(); }},
        {"resample", [] { return std::make_unique<CResampleDlg>(QSize(640, 480)); }},
        {"dither", [] { return std::make_unique<CDitherDlg>(); }},
        {"threshold", [] { return std::make_unique<CThresholdDlg>(100); }},
        {"colorize", [] { return std::make_unique<CColorizeDlg>(); }},
        {"gamma", [] { return std::make_unique<CGammaDlg>(); }},
        {"combine", [] { return std::make_unique<CCombineDlg>(kWindows, 0); }},
        {"fft", [] { return std::make_unique<CFFTDlg>(kWindows, 0); }},
        {"repair", [] { return std::make_unique<CRepairDlg>(); }},
        {"mix", [] { return std::make_unique<CMixDlg>(kWindows, CMixDlg::Preview()); }},
        {"jpeg", [] { return std::make_unique<CJpegDlg>(); }},
        {"text", [] { return std::make_unique<CTextDlg>(TextToolSettings(), u"Hello"_s); }},
    };
}

} // namespace

TEST(ImageDialogs, EveryDialogIsLeftToRightAnswersEnterAndEscapeAndCutsNothingOff)
{
    for (const auto &[name, make] : everyDialog()) {
        SCOPED_TRACE(name);
        for (const int key : {Qt::Key_Return, Qt::Key_Escape}) {
            auto dialog = make();
            dialog->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
            EXPECT_EQ(dialog->layoutDirection(), Qt::LeftToRight);
            EXPECT_FALSE(dialog->windowTitle().isEmpty());
            for (QWidget *w : dialog->findChildren<QWidget *>()) {
                if (!w->isVisible() || (!qobject_cast<QLabel *>(w) && !qobject_cast<QAbstractButton *>(w)))
                    continue;
                EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->metaObject()->className();
                EXPECT_TRUE(dialog->rect().contains(QRect(w->mapTo(dialog.get(), QPoint(0, 0)), w->size())))
                    << w->metaObject()->className();
            }
            // Enter wherever the focus starts is OK; Escape is Cancel.
            QWidget *focus = dialog->focusWidget() ? dialog->focusWidget() : dialog.get();
            QTest::keyClick(focus, Qt::Key(key));
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(dialog->result(), key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
        }
    }
}

TEST(ImageDialogs, EveryValueADialogGivesIsOneItsCommandTakes)
{
    // A dialog and the command table spelling a name two ways would lose the user's choice
    // silently: the command would run on its default.
    for (const auto &[name, make] : everyDialog()) {
        const std::string dialogName = name;
        if (dialogName == "text") // the text tool's settings, not a command's values
            continue;
        SCOPED_TRACE(name);
        const ImageCommands::Command *command =
            ImageCommands::find(dialogName == "jpeg" ? u"jpeg-compression"_s : QString::fromStdString(dialogName));
        ASSERT_NE(command, nullptr);
        auto dialog = make();
        const auto *asked = dynamic_cast<ImageCommandDlg *>(dialog.get());
        ASSERT_NE(asked, nullptr);
        const ImageCommands::Values values = asked->values();
        EXPECT_FALSE(values.isEmpty());
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const auto param = std::find_if(command->params.cbegin(), command->params.cend(),
                                            [&](const ImageCommands::Param &p) { return p.name == it.key(); });
            ASSERT_NE(param, command->params.cend()) << it.key().toStdString();
            if (param->kind == ImageCommands::Param::Kind::Choice) {
                EXPECT_LT(it.value().toInt(), param->choices.size()) << it.key().toStdString();
            }
        }
        ImageDocument::initialiseLibrary();
        const Magick::Image picture(Magick::Geometry(8, 8), Magick::Color("grey"));
        EXPECT_TRUE(ImageCommands::resolve(*command, picture, values)) << "the table takes what the dialog gives";
    }
}

TEST(ImageDialogs, RotateStartsAt12345AndGivesTheUsersChoices)
{
    CRotateDlg dlg;
    dlg.show();
    auto v = dlg.values();
    EXPECT_DOUBLE_EQ(v.value(P::kAngle).toDouble(), 12.345);
    EXPECT_EQ(v.value(P::kInterpolation).toInt(), 0);
    EXPECT_EQ(v.value(P::kOverflow).toInt(), 0);
    EXPECT_FALSE(v.value(P::kKeepSize).toBool());

    // The focus goes from the angle through the lists to the check box, in reading order.
    auto *angle = child<QDoubleSpinBox>(&dlg, P::kAngle);
    angle->setFocus();
    QTest::keyClick(angle, Qt::Key_Tab);
    EXPECT_EQ(dlg.focusWidget(), child<QComboBox>(&dlg, P::kInterpolation));
    QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dlg.focusWidget(), child<QComboBox>(&dlg, P::kOverflow));
    QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dlg.focusWidget(), child<QCheckBox>(&dlg, P::kKeepSize));
    typeInto(angle, u"-33.3333"_s);
    chooseByKeys(child<QComboBox>(&dlg, P::kInterpolation), 6);
    chooseByKeys(child<QComboBox>(&dlg, P::kOverflow), 3);
    click(child<QCheckBox>(&dlg, P::kKeepSize));
    v = dlg.values();
    EXPECT_DOUBLE_EQ(v.value(P::kAngle).toDouble(), -33.333);
    EXPECT_EQ(child<QComboBox>(&dlg, P::kInterpolation)->currentText(), u"Hermite"_s);
    EXPECT_EQ(v.value(P::kInterpolation).toInt(), 6);
    EXPECT_EQ(v.value(P::kOverflow).toInt(), 3);
    EXPECT_TRUE(v.value(P::kKeepSize).toBool());
}

TEST(ImageDialogs, ResampleByFactorOrByLinkedPixelSides)
{
    CResampleDlg dlg(QSize(640, 480));
    dlg.show();
    auto v = dlg.values();
    EXPECT_EQ(v.value(P::kWidth).toInt(), 640);
    EXPECT_EQ(v.value(P::kHeight).toInt(), 480);
    EXPECT_DOUBLE_EQ(v.value(P::kFactor).toDouble(), 1.0);
    EXPECT_FALSE(child<QSpinBox>(&dlg, P::kWidth)->isEnabled());

    typeInto(child<QDoubleSpinBox>(&dlg, P::kFactor), u"0.5"_s);
    v = dlg.values();
    EXPECT_EQ(v.value(P::kWidth).toInt(), 320);
    EXPECT_EQ(v.value(P::kHeight).toInt(), 240);

    // Pixels, with the aspect kept: the height follows the typed width.
    for (QRadioButton *r : dlg.findChildren<QRadioButton *>())
        if (r->text() == u"Pixel Width x Height"_s)
            click(r);
    typeInto(child<QSpinBox>(&dlg, P::kWidth), u"100"_s);
    v = dlg.values();
    EXPECT_EQ(v.value(P::kWidth).toInt(), 100);
    EXPECT_EQ(v.value(P::kHeight).toInt(), 75);
    EXPECT_FALSE(v.contains(P::kFactor));

    // Unlinked, the sides are free.
    for (QCheckBox *c : dlg.findChildren<QCheckBox *>())
        click(c);
    typeInto(child<QSpinBox>(&dlg, P::kHeight), u"300"_s);
    v = dlg.values();
    EXPECT_EQ(v.value(P::kWidth).toInt(), 100);
    EXPECT_EQ(v.value(P::kHeight).toInt(), 300);
    chooseByKeys(child<QComboBox>(&dlg, P::kInterpolation), 2);
    EXPECT_EQ(dlg.values().value(P::kInterpolation).toInt(), 2);
}

TEST(ImageDialogs, SmallDialogsStartAtTheirDefaultsAndFollowTheUser)
{
    {
        CDitherDlg dlg;
        dlg.show();
        EXPECT_EQ(dlg.values().value(P::kMethod).toInt(), 0);
        auto *bayer = child<QRadioButton>(&dlg, P::kMethod + u"7"_s);
        EXPECT_EQ(bayer->text(), u"Bayer matrix (4x4 ordered dither)"_s);
        click(bayer);
        EXPECT_EQ(dlg.values().value(P::kMethod).toInt(), 7);
    }
    {
        CThresholdDlg dlg(137);
        dlg.show();
        EXPECT_EQ(dlg.values().value(P::kLevel).toInt(), 137);
        typeInto(child<QSpinBox>(&dlg, P::kLevel), u"300"_s); // beyond the range: stays within it
        EXPECT_LE(dlg.values().value(P::kLevel).toInt(), 255);
        typeInto(child<QSpinBox>(&dlg, P::kLevel), u"42"_s);
        EXPECT_EQ(dlg.values().value(P::kLevel).toInt(), 42);
    }
    {
        CGammaDlg dlg;
        dlg.show();
        EXPECT_DOUBLE_EQ(dlg.values().value(P::kCorrection).toDouble(), 1.23);
        typeInto(child<QDoubleSpinBox>(&dlg, P::kCorrection), u"2.5"_s);
        EXPECT_DOUBLE_EQ(dlg.values().value(P::kCorrection).toDouble(), 2.5);
        typeInto(child<QDoubleSpinBox>(&dlg, P::kCorrection), u"0"_s);
        EXPECT_GT(dlg.values().value(P::kCorrection).toDouble(), 0.0);
    }
    {
        CRepairDlg dlg;
        dlg.show();
        auto v = dlg.values();
        EXPECT_DOUBLE_EQ(v.value(P::kRadius).toDouble(), 0.25);
        EXPECT_EQ(v.value(P::kIterations).toInt(), 2);
        EXPECT_EQ(v.value(P::kColourSpace).toInt(), 0);
        typeInto(child<QSpinBox>(&dlg, P::kIterations), u"51"_s);
        EXPECT_LE(dlg.values().value(P::kIterations).toInt(), 50);
        typeInto(child<QSpinBox>(&dlg, P::kIterations), u"7"_s);
        chooseByKeys(child<QComboBox>(&dlg, P::kColourSpace), 4);
        v = dlg.values();
        EXPECT_EQ(v.value(P::kIterations).toInt(), 7);
        EXPECT_EQ(child<QComboBox>(&dlg, P::kColourSpace)->currentText(), u"XYZ"_s);
        EXPECT_EQ(v.value(P::kColourSpace).toInt(), 4);
    }
    {
        CJpegDlg dlg;
        dlg.show();
        EXPECT_EQ(dlg.values().value(P::kQuality).toInt(), 50);
        EXPECT_EQ(dlg.values().value(P::kFormat).toInt(), 0);
        typeInto(child<QSpinBox>(&dlg, P::kQuality), u"85"_s);
        click(child<QRadioButton>(&dlg, P::kFormat + u"1"_s));
        EXPECT_EQ(dlg.values().value(P::kQuality).toInt(), 85);
        EXPECT_EQ(dlg.values().value(P::kFormat).toInt(), 1);
    }
}

TEST(ImageDialogs, ColorizeGivesTheValuesOfTheChosenMode)
{
    CColorizeDlg dlg;
    dlg.show();
    auto v = dlg.values();
    EXPECT_EQ(v.value(P::kMode).toInt(), 0);
    EXPECT_TRUE(v.contains(P::kHue) && v.contains(P::kSaturation) && v.contains(P::kBlend));
    EXPECT_FALSE(v.contains(P::kRed));
    EXPECT_FALSE(child<QSpinBox>(&dlg, P::kRed)->isEnabled());
    typeInto(child<QSpinBox>(&dlg, P::kHue), u"200"_s);
    EXPECT_EQ(dlg.values().value(P::kHue).toInt(), 200);

    click(child<QRadioButton>(&dlg, u"mode-rgb"_s));
    EXPECT_TRUE(child<QSpinBox>(&dlg, P::kRed)->isEnabled());
    typeInto(child<QSpinBox>(&dlg, P::kRed), u"-255"_s);
    typeInto(child<QSpinBox>(&dlg, P::kBlue), u"40"_s);
    v = dlg.values();
    EXPECT_EQ(v.value(P::kMode).toInt(), 1);
    EXPECT_EQ(v.value(P::kRed).toInt(), -255);
    EXPECT_EQ(v.value(P::kGreen).toInt(), 0);
    EXPECT_EQ(v.value(P::kBlue).toInt(), 40);
    EXPECT_FALSE(v.contains(P::kHue));
}

TEST(ImageDialogs, CombineAndFftChooseAmongTheOpenWindows)
{
    CCombineDlg combine(kWindows, 1);
    combine.show();
    EXPECT_EQ(combine.sources(), (QList<int>{1, 1, 1, 1}));
    auto v = combine.values();
    EXPECT_EQ(v.value(P::kColourSpace).toInt(), 0);
    EXPECT_EQ(v.value(P::kChannel1).toInt(), 1); // red
    EXPECT_EQ(v.value(P::kChannel4).toInt(), 0); // gray
    chooseByKeys(child<QComboBox>(&combine, P::kColourSpace), 1);
    chooseByKeys(child<QComboBox>(&combine, u"source-3"_s), 2);
    chooseByKeys(child<QComboBox>(&combine, P::kChannel2), 0);
    EXPECT_EQ(combine.sources(), (QList<int>{1, 1, 2, 1}));
    v = combine.values();
    EXPECT_EQ(v.value(P::kColourSpace).toInt(), 1);
    EXPECT_EQ(v.value(P::kChannel2).toInt(), 0);
    // The rows are named after the chosen space's channels.
    QStringList labels;
    for (QLabel *l : combine.findChildren<QLabel *>())
        labels << l->text();
    EXPECT_TRUE(labels.contains(u"Hue :"_s));
    EXPECT_TRUE(labels.contains(u"Lightness :"_s));
    EXPECT_FALSE(labels.contains(u"Red :"_s));

    CFFTDlg fft(kWindows, 2);
    fft.show();
    EXPECT_EQ(fft.sources(), (QList<int>{2, 2}));
    chooseByKeys(child<QComboBox>(&fft, u"imaginary"_s), 0);
    click(child<QCheckBox>(&fft, P::kInverse));
    click(child<QCheckBox>(&fft, P::kComputeMagnitude));
    EXPECT_EQ(fft.sources(), (QList<int>{2, 0}));
    v = fft.values();
    EXPECT_TRUE(v.value(P::kInverse).toBool());
    EXPECT_FALSE(v.value(P::kComputeMagnitude).toBool());
    EXPECT_FALSE(v.value(P::kForceFft).toBool());
}

TEST(ImageDialogs, MixOffersTheWindowsAndOperationsAndRefreshesItsPreview)
{
    int calls = 0;
    ImageCommandDlg::Values seen;
    CMixDlg dlg(kWindows, [&](int dst, int src, const ImageCommandDlg::Values &values) {
        ++calls;
        seen = values;
        QImage preview(400, 100, QImage::Format_RGB32);
        preview.fill(qRgb(dst * 100, src * 100, 7));
        return preview;
    });
    dlg.show();
    EXPECT_EQ(dlg.destination(), 0);
    EXPECT_EQ(dlg.source(), 1);
    auto *op = child<QComboBox>(&dlg, P::kOperation);
    EXPECT_EQ(op->currentText(), u"OpAnd"_s);
    QStringList ops;
    for (int i = 0; i < op->count(); ++i)
        ops << op->itemText(i);
    EXPECT_EQ(ops, (QStringList{u"OpAdd"_s, u"OpAnd"_s, u"OpXor"_s, u"OpOr"_s, u"OpScreen"_s, u"OpMask"_s,
                                u"OpSrcCopy"_s, u"OpDstCopy"_s, u"OpSub"_s, u"OpSrcBlend"_s}));
    EXPECT_EQ(CMixDlg::libraryOperation(4), 9);  // OpScreen
    EXPECT_EQ(CMixDlg::libraryOperation(9), 8);  // OpSrcBlend
    auto v = dlg.values();
    EXPECT_EQ(v.value(P::kXOffset).toInt(), 0);
    EXPECT_EQ(v.value(P::kYOffset).toInt(), 0);
    EXPECT_FALSE(v.value(P::kMixAlpha).toBool());

    chooseByKeys(child<QComboBox>(&dlg, u"src"_s), 2);
    chooseByKeys(op, 4);
    typeInto(child<QSpinBox>(&dlg, P::kXOffset), u"-12"_s);
    click(child<QCheckBox>(&dlg, P::kMixAlpha));
    click(child<QPushButton>(&dlg, u"refresh"_s));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen.value(P::kOperation).toInt(), 4);
    EXPECT_EQ(seen.value(P::kXOffset).toInt(), -12);
    EXPECT_TRUE(seen.value(P::kMixAlpha).toBool());
    // The preview shows the function's picture, fitted into 200 pixels, and the dialog stays open.
    auto *preview = child<QLabel>(&dlg, u"preview"_s);
    ASSERT_FALSE(preview->pixmap().isNull());
    EXPECT_EQ(preview->pixmap().width(), CMixDlg::kPreviewSide);
    EXPECT_EQ(preview->pixmap().toImage().pixel(10, 10), qRgb(0, 200, 7));
    EXPECT_TRUE(dlg.isVisible());

    // With one window, both lists show it.
    CMixDlg single({u"only.png"_s}, CMixDlg::Preview());
    EXPECT_EQ(single.destination(), 0);
    EXPECT_EQ(single.source(), 0);
}

TEST(ImageDialogs, TextDialogEditsTheTextToolSettings)
{
    TextToolSettings start;
    start.weight = 0;
    start.opacity = 0.3;
    CTextDlg dlg(start, u"Hello"_s);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), u"Place text to image"_s);
    // Untouched, the settings come back as they were, the face even when it is not installed.
    TextToolSettings s = dlg.settings();
    EXPECT_EQ(s.faceName, start.faceName);
    EXPECT_EQ(s.weight, 0);
    EXPECT_EQ(s.textColour, start.textColour);
    EXPECT_NEAR(s.opacity, 0.3, 1e-9);
    EXPECT_EQ(s.roundRadius, 25);
    EXPECT_EQ(dlg.text(), u"Hello"_s);

    auto *text = child<QLineEdit>(&dlg, u"text"_s);
    text->selectAll();
    QTest::keyClicks(text, u"Archive 2026"_s);
    click(child<QCheckBox>(&dlg, u"bold"_s));
    click(child<QCheckBox>(&dlg, u"italic"_s));
    click(child<QCheckBox>(&dlg, u"opaque"_s));
    typeInto(child<QSpinBox>(&dlg, u"opacity"_s), u"75"_s);
    typeInto(child<QSpinBox>(&dlg, u"radius"_s), u"4"_s);
    ColourChooser::setNextAnswer(QColor(1, 2, 3));
    click(child<QPushButton>(&dlg, u"text-colour"_s));
    EXPECT_EQ(ColourChooser::lastInitial(), CTextDlg::fromColourValue(0xA0FFFF));
    ColourChooser::setNextAnswer(std::nullopt); // cancelled: the background stays
    click(child<QPushButton>(&dlg, u"back-colour"_s));
    EXPECT_TRUE(dlg.isVisible());

    s = dlg.settings();
    EXPECT_EQ(dlg.text(), u"Archive 2026"_s);
    EXPECT_EQ(s.weight, 700);
    EXPECT_EQ(s.italic, 1);
    EXPECT_EQ(s.underline, 0);
    EXPECT_FALSE(s.opaque);
    EXPECT_NEAR(s.opacity, 0.75, 1e-9);
    EXPECT_EQ(s.roundRadius, 4);
    EXPECT_EQ(s.textColour, 0x030201u);
    EXPECT_EQ(s.backColour, 0x6020u);
}
