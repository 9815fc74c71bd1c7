// The program's fixed identity: name, version and vendor address.
#include "platform/program_info.h"

#include <gtest/gtest.h>

TEST(ProgramInfo, NameAndVersion)
{
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Ordwell"));
    EXPECT_EQ(ApplicationVersion(), QStringLiteral("2.3"));
    EXPECT_FALSE(VendorBaseUrl().endsWith(u'/'));
    EXPECT_TRUE(VendorBaseUrl().startsWith(QStringLiteral("https://")));
}
