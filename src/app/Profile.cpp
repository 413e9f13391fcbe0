#include "Profile.h"

#include <QSettings>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

Profile::Profile(QSettings &settings) : m_settings(settings) {}

ScreenPlacement Profile::screen() const
{
    const ScreenPlacement defaults;
    ScreenPlacement p;
    p.maximized = m_settings.value(u"Screen/maximized"_s, 0).toInt() != 0;
    p.left = m_settings.value(u"Screen/left"_s, defaults.left).toInt();
    p.top = m_settings.value(u"Screen/top"_s, defaults.top).toInt();
    p.right = m_settings.value(u"Screen/right"_s, defaults.right).toInt();
    p.bottom = m_settings.value(u"Screen/bottom"_s, defaults.bottom).toInt();
    return p;
}

void Profile::setScreen(const ScreenPlacement &p)
{
    m_settings.setValue(u"Screen/maximized"_s, p.maximized ? 1 : 0);
    m_settings.setValue(u"Screen/left"_s, p.left);
    m_settings.setValue(u"Screen/top"_s, p.top);
    m_settings.setValue(u"Screen/right"_s, p.right);
    m_settings.setValue(u"Screen/bottom"_s, p.bottom);
}

TextToolSettings Profile::textTool() const
{
    const TextToolSettings d;
    TextToolSettings t;
    t.faceName = m_settings.value(u"TextTool/lfFaceName"_s, d.faceName).toString();
    t.charSet = m_settings.value(u"TextTool/lfCharSet"_s, d.charSet).toInt();
    t.weight = m_settings.value(u"TextTool/lfWeight"_s, d.weight).toInt();
    t.italic = m_settings.value(u"TextTool/lfItalic"_s, d.italic).toInt();
    t.underline = m_settings.value(u"TextTool/lfUnderline"_s, d.underline).toInt();
    t.textColour = m_settings.value(u"TextTool/fcolor"_s, d.textColour).toUInt();
    t.backColour = m_settings.value(u"TextTool/bcolor"_s, d.backColour).toUInt();
    t.opaque = m_settings.value(u"TextTool/opaque"_s, 1).toInt() != 0;
    t.opacity = m_settings.value(u"TextTool/opacity"_s, 0).toInt() * 0.01;
    t.roundRadius = m_settings.value(u"TextTool/roundradius"_s, d.roundRadius).toInt();
    return t;
}

void Profile::setTextTool(const TextToolSettings &t)
{
    m_settings.setValue(u"TextTool/lfFaceName"_s, t.faceName);
    m_settings.setValue(u"TextTool/lfCharSet"_s, t.charSet);
    m_settings.setValue(u"TextTool/lfWeight"_s, t.weight);
    m_settings.setValue(u"TextTool/lfItalic"_s, t.italic);
    m_settings.setValue(u"TextTool/lfUnderline"_s, t.underline);
    m_settings.setValue(u"TextTool/fcolor"_s, t.textColour);
    m_settings.setValue(u"TextTool/bcolor"_s, t.backColour);
    m_settings.setValue(u"TextTool/opacity"_s, int(std::lround(t.opacity * 100)));
    m_settings.setValue(u"TextTool/r_radius"_s, t.roundRadius);
}

int Profile::jpegQuality() const
{
    return m_settings.value(u"Options/JpegQuality"_s, 90).toInt();
}

void Profile::setJpegQuality(int quality)
{
    m_settings.setValue(u"Options/JpegQuality"_s, quality);
}
