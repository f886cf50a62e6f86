#include "class_inf_usb.h"

#include <gtest/gtest.h>

namespace {

struct PrefixCase {
    const char* name;
    const char* text;
    const char* prefix;
    bool expected;
};

TEST(BeginsWith, ComparesBytesCaseSensitively)
{
    const PrefixCase cases[] = {
        {"exact", "CopyFiles", "CopyFiles", true},
        {"longer text", "CopyFiles=Tavr.Copy", "CopyFiles", true},
        {"empty prefix", "abc", "", true},
        {"both empty", "", "", true},
        {"prefix longer than text", "Copy", "CopyFiles", false},
        {"empty text", "", "C", false},
        {"other case", "copyfiles=x", "CopyFiles", false},
        {"leading space", " CopyFiles", "CopyFiles", false},
        {"differs at last byte", "CopyFilez", "CopyFiles", false},
        {"high bytes", "\xE4\xF6x", "\xE4\xF6", true},
    };
    for (const PrefixCase& c : cases)
        EXPECT_EQ(c.expected, BeginsWith(c.text, c.prefix)) << c.name;
}

} // namespace
