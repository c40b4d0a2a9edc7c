#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <QFile>

#include "OpenSave.h"
#include "OpenSaveError.h"

namespace zarvello {
namespace {

using namespace std::string_literals;

// Stands in for the person at the dialog: keeps the record it was shown,
// then cancels or picks `path` as a dialog reports a choice.
class ChoosingService : public DialogService {
 public:
  int ShowOpen(OpenFileName& record) override { return Choose("open", record); }
  int ShowSave(OpenFileName& record) override { return Choose("save", record); }

  int result = 0;
  std::u16string path, name;
  std::int16_t extension = 0;
  std::int32_t filterIndex = 1, flags = 0;
  std::string shown;
  OpenFileName lastShown;

 private:
  int Choose(const std::string& kind, OpenFileName& record) {
    shown += kind;
    lastShown = record;
    if (result <= 0) return result;
    record.lpstrFile.replace(0, path.size() + 1, path + u'\0');
    record.lpstrFileTitle.replace(0, name.size() + 1, name + u'\0');
    record.nFileExtension = extension;
    record.nFilterIndex = filterIndex;
    record.Flags = flags;
    return result;
  }
};

TEST(OpenSaveTest, FreshObjectAsksForAnSnesImageInTheProgramsFolder) {
  ChoosingService service;
  OpenSave dialog(service);
  EXPECT_EQ(dialog.FileName(), u"");
  EXPECT_EQ(dialog.FileTitle(), u"");
  EXPECT_EQ(dialog.DialogTitle(), u"");
  EXPECT_EQ(dialog.DefaultExt(), u"");
  EXPECT_EQ(dialog.Filter(), u"SNES|*.smc;*.swc;*.fig|All Files (*.*)|*.*");
  EXPECT_EQ(dialog.FilterIndex(), 1);
  EXPECT_EQ(dialog.Flags(), 0);
  EXPECT_EQ(dialog.MaxFileSize(), 260);
  EXPECT_EQ(dialog.hWnd(), 0);
  EXPECT_EQ(dialog.CancelError(), 0);
  EXPECT_EQ(dialog.FileExt(), 0);
  EXPECT_TRUE(std::filesystem::equivalent(
      QFile::encodeName(QString::fromStdU16String(dialog.InitDir())).toStdString(),
      ZARVELLO_TEST_PROGRAM_FOLDER));

  dialog.ShowOpen();
  const OpenFileName& record = service.lastShown;
  EXPECT_EQ(service.shown, "open");
  EXPECT_EQ(record.lStructSize, 76);
  EXPECT_EQ(record.lpstrFilter, u"SNES\0*.smc;*.swc;*.fig\0All Files (*.*)\0*.*\0\0"s);
  EXPECT_EQ(record.nFilterIndex, 1);
  EXPECT_EQ(record.lpstrFile, std::u16string(261, u'\0'));
  EXPECT_EQ(record.nMaxFile, 260);
  EXPECT_EQ(record.lpstrFileTitle, std::u16string(256, u' '));
  EXPECT_EQ(record.nMaxFileTitle, 260);
  EXPECT_EQ(record.lpstrInitialDir, dialog.InitDir());
}

TEST(OpenSaveTest, FilterTurnsBarsIntoNulsAndEndsInTwoNuls) {
  struct Case {
    std::u16string set, stored, readBack;
  };
  const Case cases[] = {
      {u"", u"\0\0"s, u""},
      {u"*.smc", u"*.smc\0\0"s, u"*.smc"},
      {u"ROM|*.smc|", u"ROM\0*.smc\0\0"s, u"ROM|*.smc"},
      {u"ROM|*.smc||", u"ROM\0*.smc\0\0"s, u"ROM|*.smc"},
      {u"ROM|*.smc|||", u"ROM\0*.smc\0\0\0"s, u"ROM|*.smc|"},
  };
  for (const Case& c : cases) {
    ChoosingService service;
    OpenSave dialog(service);
    dialog.SetFilter(c.set);
    dialog.ShowSave();
    EXPECT_EQ(service.lastShown.lpstrFilter, c.stored);
    EXPECT_EQ(dialog.Filter(), c.readBack);
  }
}

TEST(OpenSaveTest, ConfirmedChoiceComesBackInItsSpacesAndStartsTheNextDialog) {
  ChoosingService service;
  OpenSave dialog(service);
  dialog.SetInitDir(u"  /roms ");
  dialog.SetDefaultExt(u" smc ");
  service.result = 1;
  service.path = u"/roms/Zelda.smc";
  service.name = u"Zelda.smc";
  service.extension = 12;
  service.filterIndex = 2;
  service.flags = 0x400;
  dialog.ShowOpen();
  EXPECT_EQ(dialog.FileName(), u"/roms/Zelda.smc" + std::u16string(246, u'\0'));
  EXPECT_EQ(dialog.FileTitle(), u"Zelda.smc\0"s);
  EXPECT_EQ(dialog.FileExt(), 12);
  EXPECT_EQ(dialog.FilterIndex(), 2);
  EXPECT_EQ(dialog.Flags(), 0x400);
  EXPECT_EQ(dialog.InitDir(), u"/roms");
  EXPECT_EQ(dialog.DefaultExt(), u" smc ");
  EXPECT_EQ(dialog.Filter(), u"SNES|*.smc;*.swc;*.fig|All Files (*.*)|*.*");

  // The whole earlier space is the next initial name; its tail stays behind
  // the new path's NUL.
  service.path = u"/a.fig";
  service.name = u"a.fig";
  dialog.ShowOpen();
  EXPECT_EQ(service.lastShown.lpstrFile, u"/roms/Zelda.smc" + std::u16string(246, u'\0'));
  EXPECT_EQ(service.lastShown.nFilterIndex, 2);
  EXPECT_EQ(dialog.FileName(), u"/a.fig\0elda.smc"s + std::u16string(246, u'\0'));
  EXPECT_EQ(dialog.FileTitle(), u"a.fig\0smc\0"s);
}

TEST(OpenSaveTest, CancelOrAnUnfittingNameChangesNothing) {
  struct Case {
    std::int16_t cancelError, maxFileSize;
    std::size_t nameLength;
    int serviceResult;
    std::int32_t error;  // 0: returns normally
  };
  const Case cases[] = {
      {0, 260, 8, 0, 0},   {0, 260, 8, -1, 0}, {-1, 260, 8, 0, 32755}, {2, 260, 8, -1, 32755},
      {0, 260, 262, 1, 5}, {0, 0, 0, 1, 5},    {0, -1, 0, 1, 5},
  };
  for (const Case& c : cases) {
    ChoosingService service;
    service.result = c.serviceResult;
    service.path = u"/chosen.smc";
    OpenSave dialog(service);
    dialog.SetCancelError(c.cancelError);
    dialog.SetMaxFileSize(c.maxFileSize);
    dialog.SetFileName(std::u16string(c.nameLength, u'x'));
    std::int32_t error = 0;
    try {
      dialog.ShowSave();
    } catch (const OpenSaveError& raised) {
      error = raised.Number();
      EXPECT_EQ(raised.Source(), "Run-time error");
      EXPECT_EQ(raised.Description(),
                error == 5 ? "Invalid procedure call or argument" : "Cancel was selected");
    }
    EXPECT_EQ(error, c.error) << c.cancelError << " " << c.maxFileSize << " " << c.nameLength;
    EXPECT_EQ(service.shown, c.error == 5 ? "" : "save");
    EXPECT_EQ(dialog.FileName(), std::u16string(c.nameLength, u'x'));
  }
}

}  // namespace
}  // namespace zarvello
