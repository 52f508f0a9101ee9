#include "support/RecordingMessage.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowError, TagNumberAndDescriptionInAnErrorBox) {
    pelmora::test::RecordingMessage rec;
    pelmora::ShowError("clsMain:Update", -2147221504, "no such table: Main");
    pelmora::ShowError("clsAcount:SubAcount", pelmora::rterr::typeMismatch());
    ASSERT_EQ(rec.boxes.size(), 2u);
    EXPECT_EQ(rec.boxes[0].text, "clsMain:Update -2147221504 no such table: Main");
    EXPECT_EQ(rec.boxes[0].title, "오류");
    EXPECT_EQ(rec.boxes[0].kind, pelmora::test::ShownBox::Information);
    EXPECT_EQ(rec.boxes[1].text, "clsAcount:SubAcount 13 형식이 일치하지 않습니다.");
}

} // namespace
