#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/TMainForm.h"

namespace curvana {
namespace {

TEST(MainFormTest, OpensTitledCurvanaAndCloses) {
    TMainForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), "Curvana");
    EXPECT_EQ(form.size(), QSize(696, 480));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace curvana
