// Feeds every file of each harness's seed corpus and of its crashes found so far to the harness,
// as an ordinary test of ./test: a reader that breaks again on an old input fails here, without
// clang or libFuzzer. Each harness's entry is renamed fuzzEntry_NAME in this build.
#include "FuzzSupport.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <map>

using namespace Qt::Literals::StringLiterals;

#define DOVRELLE_FUZZ_ENTRY(name) extern "C" int fuzzEntry_##name(const uint8_t *data, size_t size);
#define DOVRELLE_FUZZ_HARNESSES(X)                                                                  \
    X(pathsfile) X(feedsfile) X(systemsettings) X(fixedrecord) X(copyorder) X(copierjournal)        \
    X(feedindex) X(description) X(searchfold) X(remembereduser) X(palettefile) X(docxxml)           \
    X(docxpackage)
DOVRELLE_FUZZ_HARNESSES(DOVRELLE_FUZZ_ENTRY)

namespace {

using Entry = int (*)(const uint8_t *, size_t);

const std::map<std::string, Entry> &entries()
{
#define DOVRELLE_FUZZ_ROW(name) {#name, &fuzzEntry_##name},
    static const std::map<std::string, Entry> table{DOVRELLE_FUZZ_HARNESSES(DOVRELLE_FUZZ_ROW)};
#undef DOVRELLE_FUZZ_ROW
    return table;
}

QStringList inputsUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

QString fuzzFolder() { return QStringLiteral(DOVRELLE_FUZZ_DIR); }

class FuzzReplay : public ::testing::TestWithParam<std::string>
{
};

} // namespace

TEST_P(FuzzReplay, EverySeedAndEveryCrashFoundSoFarKeepsTheInvariants)
{
    const QString name = QString::fromStdString(GetParam());
    const QStringList seeds = inputsUnder(fuzzFolder() + u"/corpus/"_s + name);
    const QStringList crashes = inputsUnder(fuzzFolder() + u"/crashes/"_s + name);
    // A harness without seeds would pass without reading anything.
    ASSERT_FALSE(seeds.isEmpty()) << "no seeds in corpus/" << GetParam();
    const Entry entry = entries().at(GetParam());
    for (const QString &input : seeds + crashes) {
        const QByteArray bytes = Fuzz::readFile(input);
        Fuzz::currentInput() = input.toUtf8();
        entry(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    Fuzz::currentInput().clear();
    std::printf("%s: %lld seeds, %lld crashes found so far\n", GetParam().c_str(), static_cast<long long>(seeds.size()),
                static_cast<long long>(crashes.size()));
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay,
                         ::testing::ValuesIn([] {
                             std::vector<std::string> names;
                             for (const auto &[name, entry] : entries())
                                 names.push_back(name);
                             return names;
                         }()),
                         [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

TEST(FuzzHarnesses, EveryCorpusFolderHasItsHarnessAndEveryHarnessItsCorpus)
{
    QStringList folders = QDir(fuzzFolder() + u"/corpus"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    folders += QDir(fuzzFolder() + u"/crashes"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &folder : folders)
        EXPECT_TRUE(entries().count(folder.toStdString())) << "no harness for " << folder.toStdString();
    for (const auto &[name, entry] : entries())
        EXPECT_TRUE(QDir(fuzzFolder() + u"/corpus/"_s + QString::fromStdString(name)).exists()) << name;
}
