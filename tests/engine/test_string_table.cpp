// The engine's string table exactly as the user sees it: GBK bytes under the Chinese (PRC) locale,
// the English texts under any other; every line end, trailing space and run of spaces counts.
#include <iconv.h>

#include "engine_fixture.h"

namespace {

struct ExpectedString {
    UINT id;
    bool chinese;
    const char* utf8;
};

const ExpectedString kStrings[] = {
    {1, true, "命令行参数: (不区分大小写)\r\n /? 显示命令行帮助\r\n /i 不显示界面直接安装\r\n /r 不显示界面直接卸载\r\n /s 安装不显示任何信息\r\n /Dos 支持Dos调用. \r\n /T0 不测试并口忙(默认值,可不加)\r\n /T1 测试并口忙\r\n /P0 支持并口锁和USB锁(默认值,可不加)\r\n /P1 只支持并口锁\r\n /P2 只支持USB锁\r\n /N  如果已经安装，则不再重新安装\r\n /D278 搜索时禁止使用278端口\r\n /D378或/D3BC 同上,禁止使用指定端口.\r\n 例: \n\rKorvald /i/s 或 Korvald16 /i/s \n\r 安装过程中不显示任何信息。"},
    {2, true, "您的系统上已经安装过支持DOS调用的驱动,   现在正在安装的是新的WDM驱动,   这就可能\n\n造成部分DOS程序无法工作,   你还要继续安装新版的WDM驱动吗?"},
    {3, true, "您的系统上已经安装过不支持DOS调用的WDM驱动,   现在正在安装的是支持DOS的驱动程序,  这就可能\n\n造成部分新功能缺失,   你还要继续安装支持DOS的驱动程序吗?"},
    {4, false, "Command line:\r\n /? Show this help\r\n /i Install driver without user interface\r\n /r Remove driver without user interface\r\n /s Install or remove silently\r\n /Dos Support Dos utility. \r\n /T0 Not-detect-print-busy mode (default)\r\n /T1 Detect-print-busy mode\r\n /P0 Support both parallel and USB TAVREL(default)\r\n /P1 Support parallel TAVREL \r\n /P2 Support USB TAVREL\r\n /N  Quit if driver installed .\r\n /E  Only use english language.\r\n /D278 or /D378 or /D3BC  Disable specified port when searching.\r\n\r\n example: \n\rKorvald /i/s or Korvald16 /i/s  Install driver without showing any information."},
    {5, false, "You had installed the driver support dos utility there before, the new WDM driver you want to install is not support \n\ndos ,it may be result in some obsolete dos driver can not work well . Do you want to continue the setup?"},
    {6, false, "You had installed the driver unsupport dos there before, the new WDM driver you want to install is support \n\ndos ,which is obsolete , it may be result in some new function scarce . Do you want to continue the setup?"},
    {7, true, "安装提示"},
    {8, false, "Prompting"},
    {9, true, "帮助"},
    {10, false, "HELP"},
};

// Independent of the simulation's own conversion.
std::string Gbk(const std::string& utf8)
{
    iconv_t cd = iconv_open("GBK", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8, out(utf8.size() * 2 + 1, '\0');
    char* inPtr = &in[0];
    char* outPtr = &out[0];
    size_t inLeft = in.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1)) << utf8;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string Load(HMODULE module, UINT id)
{
    char buffer[1024];
    const int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

}  // namespace

TEST_F(EngineTest, StringTableHoldsTheExactTexts)
{
    Boot(sim::Os::WinXP, 0x804);
    for (const ExpectedString& expected : kStrings)
        EXPECT_EQ(Load(engine_, expected.id), Gbk(expected.utf8)) << "string " << expected.id;

    Boot(sim::Os::WinXP, 0x409);
    for (const ExpectedString& expected : kStrings) {
        if (!expected.chinese) {
            EXPECT_EQ(Load(engine_, expected.id), expected.utf8) << "string " << expected.id;
        }
    }
}

TEST_F(EngineTest, UsageTextsFitTheirBuffers)
{
    // The usage box reads the text into 1024 bytes and the caption into 32; the prompts use 255.
    for (LCID lcid : {LCID(0x804), LCID(0x409)}) {
        Boot(sim::Os::WinXP, lcid);
        for (const ExpectedString& expected : kStrings) {
            const size_t limit = expected.id == 1 || expected.id == 4 ? 1023 : expected.id >= 9 ? 31 : 254;
            EXPECT_LE(Load(engine_, expected.id).size(), limit) << "string " << expected.id << " " << Hex(lcid);
        }
    }
}
