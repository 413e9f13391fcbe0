// The folders of src/ lean on each other in one direction: a folder includes from its own layer's
// lower neighbours only, so that the foundation never grows a hidden need for a window.

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The layers, lowest first. The folders of the middle layer may use one another.
const QHash<QString, int> kLayer = {
    {u"base"_s, 0},    {u"db"_s, 1},      {u"ui"_s, 1},      {u"text"_s, 1},    {u"imaging"_s, 2},
    {u"users"_s, 2},   {u"classes"_s, 2}, {u"cards"_s, 2},   {u"baskets"_s, 2}, {u"search"_s, 2}, {u"workflow"_s, 2},
    {u"scan"_s, 2},
    {u"app"_s, 3},     {u"admin"_s, 4},
};
constexpr int kSharedLayer = 2;

bool mayInclude(const QString &from, const QString &to)
{
    if (from == to)
        return true;
    const int a = kLayer.value(from, -1);
    const int b = kLayer.value(to, -1);
    return b < a || (a == kSharedLayer && b == kSharedLayer);
}

} // namespace

TEST(Layers, NoFolderOfSrcIncludesFromAHigherOne)
{
    EXPECT_TRUE(mayInclude(u"cards"_s, u"base"_s));
    EXPECT_TRUE(mayInclude(u"cards"_s, u"baskets"_s));
    EXPECT_FALSE(mayInclude(u"base"_s, u"db"_s));
    EXPECT_FALSE(mayInclude(u"db"_s, u"ui"_s));
    EXPECT_FALSE(mayInclude(u"search"_s, u"app"_s));

    const QString src = QStringLiteral(DOVRELLE_SOURCE_DIR) + u"/src"_s;
    const QRegularExpression include(uR"(^#include "([a-z]+)/)"_s, QRegularExpression::MultilineOption);
    int files = 0;
    QStringList wrong;
    QDirIterator it(src, {u"*.h"_s, u"*.cpp"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString folder = path.mid(src.size() + 1).section(u'/', 0, 0);
        if (!kLayer.contains(folder))
            continue;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++files;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString to = m.next().captured(1);
            if (kLayer.contains(to) && !mayInclude(folder, to))
                wrong.append(path.mid(src.size() + 1) + u" includes "_s + to);
        }
    }
    EXPECT_GT(files, 100) << "the sources were not found under " << src.toStdString();
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString();
}
