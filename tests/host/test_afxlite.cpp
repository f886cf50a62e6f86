// The class layer: message-map dispatch through a real dialog procedure, strings, the entry point.
#include <simwin/sim.h>
#include <simwin/sim_ui.h>
#include <gtest/gtest.h>

#include "afxlite/afxlite.h"
#include "resource.h"

namespace {

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset(sim::Os::WinXP);
    sim::ui::Reset();
    sim::Image image;
    image.name = "Installer";
    image.SetString(7, std::string(300, 'x') + "end");
    image.SetString(8, "short");
    sim::RegisterImage(image);
    std::string error;
    ASSERT_TRUE(sim::ui::LoadDialogTemplates("Installer", TAVREL_SOURCE_DIR "/host/host.rc", &error)) << error;
    sim::SetExe("C:\\Program Files\\Tavrel\\Setup.Tavrel4.exe", "Installer");
  }
  void TearDown() override { EXPECT_TRUE(sim::ui::Problems().empty()) << sim::ui::Problems().front(); }
};

// A base dialog and a derived one, each handling commands, to show lookup order and fall-through.
class BaseDlg : public CDialog {
 public:
  BaseDlg() : CDialog(IDD_INSTALLER_DIALOG) {}
  std::vector<std::string> log;

  BOOL OnInitDialog() override {
    log.push_back("init");
    GetDlgItem(IDC_NEXT).ShowWindow(SW_SHOW);
    GetDlgItem(IDC_USB).ShowWindow(SW_SHOW);
    return TRUE;
  }
  void OnCancel() override {
    log.push_back("cancel");
    CDialog::OnCancel();
  }
  void OnNextInBase() { log.push_back("base next"); }
  void OnUsb() { log.push_back("usb " + std::to_string(CButton(GetDlgItem(IDC_USB)).GetCheck())); }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDlg, CDialog)
  ON_BN_CLICKED(IDC_NEXT, &BaseDlg::OnNextInBase)
  ON_BN_CLICKED(IDC_USB, &BaseDlg::OnUsb)
END_MESSAGE_MAP()

class DerivedDlg : public BaseDlg {
 public:
  void OnNext() { log.push_back("derived next"); }
  void OnClose() {
    log.push_back("close");
    Default();
  }
  HCURSOR OnQueryDragIcon() { return (HCURSOR)0x1234; }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDlg, BaseDlg)
  ON_BN_CLICKED(IDC_NEXT, &DerivedDlg::OnNext)
  ON_WM_CLOSE()
  ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

class App : public CWinApp {
 public:
  std::function<void(App&)> body;
  BOOL InitInstance() override {
    body(*this);
    return FALSE;
  }
};

TEST_F(LayerTest, MessageMapDispatchesByMessageAndIdMostDerivedFirst) {
  App app;
  DerivedDlg dlg;
  LRESULT dragIcon = 0;
  app.body = [&](App&) { dlg.DoModal(); };
  sim::ui::Click(IDC_NEXT);
  sim::ui::Click(IDC_USB);
  sim::ui::Click(IDC_USB);
  sim::ui::Do([&](HWND hwnd) { dragIcon = SendMessageA(hwnd, WM_QUERYDRAGICON, 0, 0); });
  sim::ui::Close();  // OnClose asks for the default: the dialog manager sends IDCANCEL

  AfxWinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOW);

  std::vector<std::string> expected = {"init", "derived next", "usb 1", "usb 0", "close", "cancel"};
  EXPECT_EQ(dlg.log, expected);
  EXPECT_EQ(dragIcon, 0x1234);
  ASSERT_EQ(sim::ui::Dialogs().size(), 1u);
  EXPECT_EQ(sim::ui::Dialogs()[0].result, IDCANCEL);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(LayerTest, EntryPointTakesTitleFromTheExecutableAndReturnsTheExitCode) {
  App app;
  std::string title;
  app.body = [&](App& self) {
    title = self.m_pszAppName;
    self.SetExitCode(3010);
    AfxMessageBox("hello");
  };
  sim::ExpectMessageBox(IDOK, "hello");

  EXPECT_EQ(AfxWinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOW), 3010);
  EXPECT_EQ(title, "Setup.Tavrel4");
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Setup.Tavrel4");
}

TEST_F(LayerTest, StringLoadsFormatsAndAppends) {
  App app;
  app.m_hInstance = GetModuleHandleA(NULL);
  CString text;
  EXPECT_TRUE(text.LoadString(7));
  EXPECT_EQ(text.GetLength(), 303);  // longer than the first buffer tried
  EXPECT_FALSE(text.LoadString(99));
  EXPECT_TRUE(text.IsEmpty());

  CString s = "short";
  s = (LPCSTR)s;  // assigning its own text
  EXPECT_TRUE(s == "short");
  s += " and more";
  CString copy = s + "!";
  EXPECT_TRUE(copy == "short and more!");
  copy.Format("Create '%s' error!:win error code:%d", "C:\\x", 5);
  EXPECT_TRUE(copy == "Create 'C:\\x' error!:win error code:5");
}

TEST_F(LayerTest, WaitCursorShowsTheHourglassAndPutsThePreviousBack) {
  HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
  SetCursor(arrow);
  {
    CWaitCursor wait;
    EXPECT_EQ(sim::ui::CurrentCursor(), LoadCursorA(NULL, IDC_WAIT));
  }
  EXPECT_EQ(sim::ui::CurrentCursor(), arrow);
  std::vector<std::string> expected = {"#32512", "#32514", "#32512"};
  EXPECT_EQ(sim::ui::CursorHistory(), expected);
}

}  // namespace
