#include <gtest/gtest.h>

#include "probes/PublicAddress.h"
#include "toolkit/Error.h"

using probes::LastToken;
using probes::SplitOnSpaces;
using Tokens = std::vector<std::string>;

TEST(SplitOnSpaces, SplitsAtEverySingleSpaceOnly) {
    EXPECT_EQ(SplitOnSpaces("198.51.100.23"), Tokens{"198.51.100.23"});
    EXPECT_EQ(SplitOnSpaces("Current IP: 1.2.3.4"), (Tokens{"Current", "IP:", "1.2.3.4"}));
    EXPECT_EQ(SplitOnSpaces("ip  1.2.3.4"), (Tokens{"ip", "", "1.2.3.4"}));
    EXPECT_EQ(SplitOnSpaces(" 1.2.3.4 "), (Tokens{"", "1.2.3.4", ""}));
    EXPECT_EQ(SplitOnSpaces("a\tb\nc d"), (Tokens{"a\tb\nc", "d"}));
    EXPECT_TRUE(SplitOnSpaces("").empty());
    EXPECT_EQ(SplitOnSpaces(" "), (Tokens{"", ""}));
}

TEST(LastToken, IsTheTokenAtTheUpperBound) {
    EXPECT_EQ(LastToken(SplitOnSpaces("Your IP is 1.2.3.4\r\n")), "1.2.3.4\r\n");
    EXPECT_EQ(LastToken(SplitOnSpaces("1.2.3.4 ")), "");
    try {
        LastToken({});
        FAIL() << "an empty list has no upper bound";
    } catch (const toolkit::Error& e) {
        EXPECT_EQ(e.number(), toolkit::errors::SubscriptOutOfRange);
    }
}
