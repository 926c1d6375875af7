#include "installer/Unit3.h"

#include <windows.h>

#include "installer/DialogForms.h"
#include "installer/Mesmov32.h"
#include "installer/Product.h"
#include "installer/Unit1.h"
#include "installer/Unit5.h"
#include "installer/FileSystem.h"
#include "installer/layout/BrowseStart.h"
#include "toolkit/BusyScope.h"

namespace kavrix {
namespace {

constexpr int kPageCount = 6;
constexpr int kPageTextWidth = 441;
constexpr char kNextCaption[] = "&Next >";
constexpr char kFinishCaption[] = "&Finish";
constexpr char kProductFolder[] = "\\Quorvel 2.0";
constexpr int kCsidlProgramFiles = 0x26;

std::string PageName(int page) { return "Page" + std::to_string(page); }

// The licence agreement, kept as text in the program's resources; the text box wants
// carriage return and line feed at each line end.
std::string LicenceText() {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC resource = ::FindResourceA(module, kLicenceResource, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
  if (!bytes) return {};
  std::string text;
  const DWORD size = ::SizeofResource(module, resource);
  for (DWORD i = 0; i < size; ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += '\r';
    text += bytes[i];
  }
  return text;
}

// The program-files folder the machine names, with its environment references
// expanded: NT-family systems store "%ProgramFiles%" there, which taken literally
// would make a relative directory of that name.
std::string ProgramFilesFolder(const TShortcutLink& shell) {
  std::string folder = ExpandEnvironment(Form1->PBSystemPath1->ProgramFiles());
  if (folder.empty() || folder.find('%') != std::string::npos) folder = shell.GetSpecialFolder(kCsidlProgramFiles);
  return folder;
}

// The root of the drive the system is installed on, as "C:\\".
std::string SystemDriveRoot() {
  const std::string windows = Form1->PBSystemPath1->Windows();
  return windows.size() >= 2 && windows[1] == ':' ? windows.substr(0, 2) + "\\" : std::string();
}

}  // namespace

int PageNo = 0;
std::string DestDir;
TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* owner)
    : TGradientForm(owner),
      Panel1(new TPanel(this)),
      Image1(new TImage(this)),
      Notebook1(new TNotebook(this)),
      Bevel1(new TBevel(this)),
      Button2(new TButton(this)),
      Button3(new TButton(this)),
      Button1(new TButton(this)),
      LZHBatch1(new TLZHBatch(this)),
      RegistryEdit1(new TRegistryEdit(this)),
      RegistryEdit2(new TRegistryEdit(this)),
      ShortcutLink1(new TShortcutLink(this)),
      ExecFile1(new TExecFile(this)) {
  SetBorderStyle(bsSingle);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetCaption(kApplicationTitle);
  Font().SetName(kInterfaceFont);
  Font().SetHeight(kInterfaceFontHeight);
  SetClientWidth(473);
  SetClientHeight(329);

  Panel1->SetParent(this);
  Panel1->SetHeight(65);
  Panel1->SetAlign(alTop);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetBorderStyle(bsSingle);
  Image1->SetParent(Panel1);
  Image1->SetAlign(alClient);
  Image1->LoadBitmapResource(kBannerResource);

  Notebook1->SetParent(this);
  Notebook1->SetBounds(8, 72, 457, 205);
  for (int page = 0; page < kPageCount; ++page) Notebook1->AddPage(PageName(page));
  BuildPages();

  Bevel1->SetParent(this);
  Bevel1->SetBounds(8, 284, 457, 2);
  Bevel1->SetShape(bsTopLine);

  Button2->SetParent(this);
  Button2->SetBounds(8, 296, 75, 25);
  Button2->SetCaption("Cancel");
  Button2->OnClick = [this](TObject& sender) { Button2Click(sender); };
  Button3->SetParent(this);
  Button3->SetBounds(312, 296, 75, 25);
  Button3->SetCaption("< &Back");
  Button3->SetEnabled(false);
  Button3->OnClick = [this](TObject& sender) { Button3Click(sender); };
  Button1->SetParent(this);
  Button1->SetBounds(390, 296, 75, 25);
  Button1->SetCaption(kNextCaption);
  Button1->Font().SetName("MS Sans Serif");
  Button1->Font().SetStyle(fsBold);
  Button1->OnClick = [this](TObject& sender) { Button1Click(sender); };

  LZHBatch1->SetDirectoryInfo(diRelativePath);
  LZHBatch1->SetRecurseDirectories(true);
  LZHBatch1->SetUseDirectoryNames(true);
  LZHBatch1->OnProgress = [this](TObject& sender, const std::string& fileName, int32_t fileBytesWritten,
                                 int32_t fileBytes, int32_t totalBytesWritten, int32_t totalBytes, bool& cancel) {
    LZHBatch1Progress(sender, fileName, fileBytesWritten, fileBytes, totalBytesWritten, totalBytes, cancel);
  };
  RegistryEdit1->SetRootKey(rkLocalMachine);
  RegistryEdit1->SetRegKey("Software\\Veddal\\Quorvel 2.0");
  RegistryEdit2->SetRootKey(rkClassesRoot);
  RegistryEdit2->SetRegKey("htmlfile\\shell");
  ShortcutLink1->SetHotKey(" ");
  ShortcutLink1->SetIconNumber(0);
  ExecFile1->SetAssociate(false);
  ExecFile1->SetWait(false);
  // What Finish starts runs as the user, not with the installer's administrator rights.
  ExecFile1->SetAsDesktopUser(true);

  OnCreate = [this](TObject& sender) { FormCreate(sender); };
  OnShow = [this](TObject& sender) { FormShow(sender); };
  // The page shown in the designer; FormShow turns to page 0.
  Notebook1->SetPageIndex(5);
}

TLabel* TForm3::AddText(TWinControl* parent, int left, int top, int width, const std::string& text) {
  auto* label = new TLabel(this);
  label->SetParent(parent);
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetBounds(left, top, width, 13);
  label->SetCaption(text);
  label->SetAutoSize(true);  // keeps the width, takes the height of the wrapped text
  return label;
}

void TForm3::BuildPages() {
  TWinControl* page = Notebook1->Pages(0);
  Image2 = new TImage(this);
  Image2->SetParent(page);
  Image2->SetBounds(8, 8, 32, 32);
  Image2->LoadIconResource(kIconResource);
  AddText(page, 56, 8, 393,
          "Welcome to the Quorvel 2.0 Kavrix. This will install Quorvel 2.0 on your computer.");
  AddText(page, 56, 40, 393,
          "It is strongly recommended that you exit all Windows programs before running this Kavrix program.");
  AddText(page, 56, 72, 393,
          "Click Cancel to quit Kavrix and then close any programs you have running. Click Next to continue with "
          "the Kavrix program.");
  AddText(page, 56, 120, 393,
          "WARNING: This program is protected by copyright law and international treaties.");
  AddText(page, 56, 144, 393,
          "Unauthorized reproduction or distribution of this program, or any portion of it, may result in severe "
          "civil and criminal penalties, and will be prosecuted to the maximum extent possible under law.");

  page = Notebook1->Pages(1);
  AddText(page, 8, 0, kPageTextWidth,
          "Please read the following license agreement closely. By clicking on Next you accept with the terms "
          "therein described.");
  Memo1 = new TMemo(this);
  Memo1->SetParent(page);
  Memo1->SetBounds(8, 36, 441, 162);
  Memo1->SetReadOnly(true);
  Memo1->SetScrollBars(ssVertical);
  Memo1->SetWantReturns(false);
  Memo1->SetColor(clBtnFace);
  Memo1->SetText(LicenceText());

  page = Notebook1->Pages(2);
  AddText(page, 8, 0, kPageTextWidth, "Kavrix will install Quorvel 2.0 in the following directory.");
  AddText(page, 8, 24, kPageTextWidth, "To install to this directory, click Next.");
  AddText(page, 8, 48, kPageTextWidth,
          "To install to a different directory, click Browse and select another directory.");
  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetParent(page);
  GroupBox1->SetBounds(8, 136, 441, 57);
  GroupBox1->SetCaption("Destination directory ");
  Label9 = new TLabel(this);
  Label9->SetParent(GroupBox1);
  Label9->SetAutoSize(false);
  Label9->SetBounds(12, 26, 335, 13);
  Button4 = new TButton(this);
  Button4->SetParent(GroupBox1);
  Button4->SetBounds(356, 20, 75, 25);
  Button4->SetCaption("&Browse...");
  Button4->OnClick = [this](TObject& sender) { Button4Click(sender); };
  Label19 = new TLabel(this);
  Label19->SetParent(page);
  Label19->SetVisible(false);

  page = Notebook1->Pages(3);
  Label10 = AddText(page, 8, 0, kPageTextWidth, "Kavrix will now install Quorvel 2.0");
  CheckBox2 = new TCheckBox(this);
  CheckBox2->SetParent(page);
  CheckBox2->SetBounds(8, 40, kPageTextWidth, 17);
  CheckBox2->SetCaption("Add \"Edit with Quorvel 2.0\" to right click menu");
  CheckBox2->SetChecked(true);
  CheckBox3 = new TCheckBox(this);
  CheckBox3->SetParent(page);
  CheckBox3->SetBounds(8, 64, kPageTextWidth, 17);
  CheckBox3->SetCaption("Add \"Edit with Quorvel 2.0\" to Internet Explorer's \"Edit with\" list");
  CheckBox3->SetChecked(true);
  AddText(page, 8, 104, kPageTextWidth, "Click Next to start the installation.");

  page = Notebook1->Pages(4);
  AddText(page, 8, 0, kPageTextWidth, "Destination directory:");
  Label12 = AddText(page, 8, 16, kPageTextWidth, "");
  AddText(page, 8, 44, kPageTextWidth, "Current file:");
  Label14 = AddText(page, 8, 60, kPageTextWidth, "Processing...");
  AddText(page, 8, 88, kPageTextWidth, "File progress:");
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetParent(page);
  ProgressBar1->SetBounds(8, 104, 441, 16);
  AddText(page, 8, 132, kPageTextWidth, "Total progress:");
  ProgressBar2 = new TProgressBar(this);
  ProgressBar2->SetParent(page);
  ProgressBar2->SetBounds(8, 148, 441, 16);
  for (TProgressBar* bar : {ProgressBar1, ProgressBar2}) {
    bar->SetMin(0);
    bar->SetMax(100);
  }

  page = Notebook1->Pages(5);
  AddText(page, 8, 0, kPageTextWidth, "Kavrix is now complete.");
  CheckBox4 = new TCheckBox(this);
  CheckBox4->SetParent(page);
  CheckBox4->SetBounds(8, 40, kPageTextWidth, 17);
  CheckBox4->SetCaption("Yes, I want to view Readme.txt now.");
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetParent(page);
  CheckBox1->SetBounds(8, 64, kPageTextWidth, 17);
  CheckBox1->SetCaption("Yes, I want to run Quorvel 2.0 now.");
  AddText(page, 8, 104, kPageTextWidth, "Click Finish to exit.");
}

void TForm3::FormCreate(TObject&) { SetDialogCaptionColors(*this); }

void TForm3::FormShow(TObject&) {
  LZHBatch1->SetArchiveFileName(Form1->TemporaryArchivePath());
  Notebook1->SetPageIndex(0);
  FocusNext();
}

void TForm3::ShowPage(int page) {
  Notebook1->SetActivePage(PageName(page));
  FocusNext();
}

void TForm3::FocusNext() {
  // Enter then always goes forward, never towards the quit confirmation.
  if (Button1->Enabled()) SetActiveControl(Button1);
}

void TForm3::CloseRequested() {
  // Alt+F4 and the system menu: as Cancel while nothing is installed, never while
  // installing or after a failed installation (Cancel is the way out then), and on the
  // finish page closing without the finish actions.
  if (PageNo <= 3) {
    Button2Click(*this);
  } else if (PageNo == 5) {
    Close();
  }
}

void TForm3::Button1Click(TObject&) {
  if (PageNo == 5) {
    FinishActions();
    Close();
    return;
  }
  if (PageNo > 3) return;  // Next is disabled while installing
  ++PageNo;
  ShowPage(PageNo);
  switch (PageNo) {
    case 1:
      Button3->SetEnabled(true);
      break;
    case 2:
      DestDir = ProgramFilesFolder(*ShortcutLink1) + kProductFolder;
      Label9->SetCaption(DestDir);
      Label19->SetCaption(DestDir);
      break;
    case 4:
      InstallationSequence();
      break;
    default:
      break;
  }
}

void TForm3::InstallationSequence() {
  // The installation runs inside this click; the windows stay alive meanwhile, and what
  // the user clicks or types until it ends does nothing.
  TBusyScope busy;
  DestDir = Label19->Caption();
  Label12->SetCaption(Label9->Caption());
  LZHBatch1->SetOutputDirectory(DestDir);
  LZHBatch1->SetRootDirectory(DestDir);
  Button3->SetEnabled(false);
  Button1->SetEnabled(false);
  // Until the finish page every change is undone when a step fails, before its message
  // is shown: the machine is then as it was before this click.
  TInstallTransaction transaction(DestDir);
  try {
    KeepForRollback(transaction);
    RegistryEdit1->WriteString("InstallDir", DestDir);
    Repaint();
    DeleteOldFiles();
    RunInstallation();
  } catch (...) {
    const std::vector<std::string> notRestored = transaction.Rollback();
    if (!notRestored.empty()) RaiseNotUndone(std::current_exception(), notRestored);
    throw;
  }
  transaction.Commit();
  PageNo = 5;
  ShowPage(PageNo);
  Repaint();
  Button1->SetEnabled(true);
  Button1->SetCaption(kFinishCaption);
  FocusNext();
  Button2->SetEnabled(false);
  Button3->SetEnabled(false);
}

void TForm3::Button3Click(TObject&) {
  if (PageNo <= 0) return;
  --PageNo;
  ShowPage(PageNo);
  if (PageNo == 0) Button3->SetEnabled(false);
}

void TForm3::Button2Click(TObject&) {
  const int answer = MessageDlg("Kavrix is not yet finished!!\rAre you sure you want to quit?", mtWarning,
                                ButtonSet({mbYes, mbNo}), 0);
  if (answer == mrYes) {
    Close();
  } else {
    FocusNext();
  }
}

void TForm3::Button4Click(TObject&) {
  TDirectoryListBox& list = *Form5->DirectoryListBox1;
  list.SetDirectory(BrowseStartDirectory(Label19->Caption(), {ProgramFilesFolder(*ShortcutLink1), SystemDriveRoot()},
                                         DirectoryExists));
  if (Form5->ShowModal() != mrOk) return;
  Label9->SetCaption(Form5->Label1->Caption());
  Label19->SetCaption(list.Directory());
  // The destination is chosen; Enter goes on with it.
  FocusNext();
}

void TForm3::LZHBatch1Progress(TObject&, const std::string& fileName, int32_t fileBytesWritten, int32_t fileBytes,
                               int32_t totalBytesWritten, int32_t totalBytes, bool&) {
  if (!progressPacer_.Due(::GetTickCount(), totalBytesWritten >= totalBytes)) return;
  // The controls repaint only what changed, when the waiting messages are handled.
  Label14->SetCaption(fileName);
  ProgressBar1->SetMax(fileBytes / 1024);
  ProgressBar1->SetPosition(fileBytesWritten / 1024);
  ProgressBar2->SetMax(totalBytes / 1024);
  ProgressBar2->SetPosition(totalBytesWritten / 1024);
  TBusyScope::Pump();
}

}  // namespace kavrix
