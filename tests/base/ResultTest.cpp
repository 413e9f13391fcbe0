#include "base/Result.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

Result<int> make(bool ok, Failure kind)
{
    if (ok)
        return 7;
    return Result<int>::failure(kind, u"لا"_s);
}

class ResultKind : public ::testing::TestWithParam<std::tuple<bool, Failure>>
{
};

} // namespace

// A refusal stays a refusal however many layers pass it on, and a breakdown stays one: callers
// decide on the kind, never on the message.
TEST_P(ResultKind, TheKindTravelsThroughStatusFrom)
{
    const auto [ok, kind] = GetParam();
    const Result<int> r = make(ok, kind);
    const Status s = Status::from(r);
    EXPECT_EQ(s.ok(), ok);
    EXPECT_EQ(s.refused(), !ok && kind == Failure::Refused);
    EXPECT_EQ(r.refused(), s.refused());
    if (!ok) {
        EXPECT_EQ(s.kind(), kind);
        EXPECT_EQ(s.error(), u"لا"_s);
        const Result<QString> again = Result<QString>::failure(s.kind(), s.error());
        EXPECT_EQ(again.kind(), kind);
    }
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ResultKind,
                         ::testing::Values(std::tuple{true, Failure::Failed}, std::tuple{false, Failure::Failed},
                                           std::tuple{false, Failure::Refused}));

TEST(ResultKindShortcuts, FailureMeansFailedAndRefusedMeansRefused)
{
    EXPECT_EQ(Status::failure(u"x"_s).kind(), Failure::Failed);
    EXPECT_FALSE(Status::failure(u"x"_s).refused());
    EXPECT_TRUE(Status::refused(u"x"_s).refused());
    EXPECT_FALSE(Status::refused(u"x"_s).ok());
    EXPECT_EQ(Result<int>::failure(u"x"_s).kind(), Failure::Failed);
    EXPECT_TRUE(Result<int>::refused(u"x"_s).refused());
    EXPECT_FALSE(Status().refused());
}
