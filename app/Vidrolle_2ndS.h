// The browser window: the drive, folder and file pickers, the report list of
// the folder's movie files, the play options and the commands that start
// playback and end the program. It is the first window of the program and the
// one it returns to after each playback; it talks to the player windows only
// through the play state.
#pragma once

#include "app/CommandLine.h"
#include "shared/ExitPictures.h"
#include "shared/PlayState.h"
#include "shared/Vidrolle_2nd_b.h"
#include "shared/WatchHistory.h"
#include "platform/storage/HistoryStore.h"
#include "platform/media/MediaEngine.h"
#include "platform/media/StreamingEngine.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class Vidrolle_2ndM;

namespace controls {
class Command;
class GFXFrameX;
} // namespace controls

namespace platform {
class ThumbnailService;
class ReportListView;
class DriveListBox;
class DirListBox;
class FileListBox;
} // namespace platform

// What the browser needs from the outside world, injectable for tests.
struct BrowserDependencies {
    platform::MediaEngineFactory mediaEngines;
    platform::StreamingEngineFactory streamingEngines;
    // Ends the program at once (End and Cancel); tests record the call instead.
    std::function<void()> endProgram;
    // Makes the service of pictures of films for the list's tooltips; empty
    // means no pictures.
    std::function<std::unique_ptr<platform::ThumbnailService>()> thumbnails;
    // The random draw u in [0, 1) of the shuffle; empty means the program's
    // own generator.
    std::function<double()> uniformDraw;
};

// The tooltip of a row with this record: when it was last played and how that
// showing ended, the position reached and the duration for a partly seen file.
QString HistoryToolTip(const platform::HistoryRecord& record, bool lastPlayed);
// A tooltip of the film's picture above these lines (plain text, which may
// be empty).
QString PictureToolTip(const QString& picture, const QString& lines);

class Vidrolle_2ndS : public QWidget {
    Q_OBJECT
public:
    Vidrolle_2ndS(PlayState& state, BrowserDependencies dependencies, QWidget* parent = nullptr);
    ~Vidrolle_2ndS() override;

    // Start-up: runs once, when the program starts, after the controls exist.
    void Form_Load();
    // What the command line asked to open, told before Form_Load: a folder
    // to open instead of the remembered one (a message names one that cannot
    // be read), or files, whose first one's folder opens. The files then play
    // through PlayFiles once the event loop runs.
    void PrepareStart(const OpenRequest& request);

    // Settings file
    void LoadSettings();
    SettingsSaved SaveSettings();

    // Buttons of the window: Initialize each when `init`, otherwise enable or
    // disable each by `enable`.
    void InitCommandButtons(bool init, bool enable);

    // Folder navigation and the list
    void Drive1_Change();
    void Dir1_Change();
    void Combo_Kind_Click();
    void File1_PathChange();
    void File1_PatternChange();
    void FillFileList();
    void ListV_ColumnClick(int column);

    // Play options
    void Img_SEQ_Click(int index);
    void lbl_SEQ_Click(int index);
    void Img_Rep_Click(int index);
    void lbl_Rep_Click(int index);
    void Img_Size_Click(int index);
    void lbl_Size_Click(int index);

    // Playback and leaving
    void Cmd_Play_Click();
    void Cmd_Play_C_Click();
    void ListV_Click();
    void ListV_DblClick();
    // Enter on the list plays as a double click does.
    void ListV_KeyDown(int keyCode);
    // Plays the given files in turn, each in the window its kind needs,
    // whatever the file-kind row lists, as Play all plays: Ctrl skips, Esc
    // and Space stop the run. A file that cannot be read gives the list's
    // message for it and the run goes on. The browser hides meanwhile and
    // shows again with the last played file selected, if it lists it.
    void PlayFiles(const std::vector<OpenItem>& files);
    // A drop on the window: whether it is taken (the pointer shows it), and
    // taking it. A folder opens in the pickers; files play once the drop's
    // own handling has finished.
    bool Form_OLEDragOver(const OpenRequest& request);
    void Form_OLEDragDrop(const OpenRequest& request);
    // Moves the pickers to a folder, as walking there would.
    void OpenFolder(const QString& folder);
    void Cmd_End_Click();
    void Cmd_Can_Click();
    void lbl_URL_Click();

    // Watch history: the list's right-click menu and its two entries.
    void ListV_ContextMenu(const QPoint& globalPosition);
    // The menu for the row at `position` (0: the pointer is on no row). A
    // file stopped part of the way gets a first entry that plays it on.
    std::unique_ptr<QMenu> MakeListMenu(int position = 0);
    // Plays the file of the row once from `seconds`, in the window its kind
    // needs, whatever the repeat option.
    void ListV_Resume(int position, double seconds);
    void ListV_MarkNotSeen();
    void ListV_ForgetFolder();
    // Whether showings are being recorded (History is on and the file opened).
    bool HistoryOpen() { return OpenedHistory() != nullptr; }
    const HistorySetting& History() const { return historySetting_; }
    // The pictures of films: the service when they are on (Thumbnails is not
    // 0 and the program gives a service), else null.
    platform::ThumbnailService* Thumbnails() const { return thumbnails_.get(); }
    // What the tooltip of a row shows: its picture, if known, above the
    // history's lines. Resting on a row whose picture is not known yet asks
    // for it first, and the tooltip shows it once it comes.
    QString ToolTipAt(int position);

    // Controls, public so that tests can drive and inspect them like a user.
    controls::GFXFrameX* GFXFrameX1 = nullptr;
    controls::GFXFrameX* GFXFrameX2 = nullptr;
    platform::DriveListBox* Drive1 = nullptr;
    platform::DirListBox* Dir1 = nullptr;
    platform::FileListBox* File1 = nullptr;
    QComboBox* Combo_Kind = nullptr;
    platform::ReportListView* ListV = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QLabel*, 3> Img_Size{};
    std::array<QLabel*, 3> lbl_Size{};
    QComboBox* Cmb_Bairitu = nullptr;
    std::array<QLabel*, 2> Img_Rep{};
    std::array<QLabel*, 2> lbl_Rep{};
    std::array<QLabel*, 3> Img_SEQ{};
    std::array<QLabel*, 3> lbl_SEQ{};
    controls::Command* Cmd_Play = nullptr;
    controls::Command* Cmd_Play_C = nullptr;
    controls::Command* Cmd_Can = nullptr;
    controls::Command* Cmd_End = nullptr;
    QLabel* lbl_Credit = nullptr; // the credit label ("lbl" 2)
    QLabel* lbl_URL = nullptr;
    QImage Img_on;
    QImage Img_off;
    ExitPictures imgImages;

    // Play bookkeeping. Positions are wider than 16 bits so that any list,
    // however long, can be walked.
    int ListPosition = 1;
    int WalkPosition = 0;
    std::vector<int> ShuffledOrder;
    std::array<int16_t, 4> ColumnSortAscending{}; // index 1..3 by column position

    // Fills entries 1..n of ShuffledOrder with a random permutation of 1..n.
    void MakeShuffledOrder(int n);

    // Which option picture an option image shows now (for tests and redraws).
    static bool ShowsSelected(const QLabel* image);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    // Centres the window across the screen and one third of the free height down.
    void PlaceOnScreen();
    void RedrawOptionGroup(const std::vector<QLabel*>& images, int value);
    void RefreshMagnification();
    void SelectedPosition();
    QString PathOfItem(int position) const;
    // Chooses the player by the file's ending and shows it modally; false when
    // it could not be shown (which counts as a showing that ended).
    bool ShowPlayerFor(const QString& path);

    PlayState& state_;
    BrowserDependencies deps_;
    // True while Form_Load sets the pickers, whose change events then leave
    // the list alone; Form_Load fills it once at its end.
    bool startingUp_ = false;
    // The folder the command line asked for, used once by Form_Load.
    QString startFolder_;
    std::unique_ptr<Vidrolle_2ndM> mediaWindow_;

    // Playback helpers
    // True when the name's last three characters, upper-cased, are "RAM" or
    // ".RM": such files play in the streaming window.
    static bool IsStreamingFile(const QString& path);
    // Plays the list item at a position; false when it names no item or its
    // player window could not be shown.
    bool PlayItem(int position);
    // Ends the program through the injected ending, or the event loop.
    void EndProgram();

    // Watch history
    // Reads the History setting; the file itself is opened when first needed.
    void OpenHistory();
    // The history file, opened on the first call; null when History is off
    // or the file cannot be used.
    platform::HistoryStore* OpenedHistory();
    // Reads the records of the list's folder, once per fill.
    void LoadFolderHistory();
    // Gives a freshly added row the mark of its record, if it has one that
    // still describes the file. `bytes` are the row's name as stored.
    void MarkRow(int position, std::string_view bytes, const std::optional<platform::FileStamp>& stamp);
    // Records the showing of CurrentFile and marks its row, if the list
    // shows it; `position` is that row when the caller knows it, else 0.
    void RecordShowing(const ShowingOutcome& outcome, int position);
    // The list position of the file of this path; 0 when the list does not show it.
    int PositionOfPath(const QString& path) const;
    // The history's lines of a row's tooltip; empty for an unmarked row.
    QString HistoryLinesAt(int position) const;
    // The pictures of films.
    void OpenThumbnails();
    // Asks for the pictures of the rows in sight, soon (the steps of a
    // scroll or a fill ask together).
    void ScheduleThumbnails();
    void WantThumbnails();
    void Thumbnails_PictureReady(const QString& path);

    HistorySetting historySetting_;
    SwitchSetting thumbnailsSetting_;
    std::unique_ptr<platform::ThumbnailService> thumbnails_;
    QTimer* thumbnailsTimer_ = nullptr;
    // The row the pointer rests on whose picture was asked for; 0 for none.
    int restingPosition_ = 0;
    // Whether the settings file held a Volume key at start.
    bool volumeInFile_ = false;
    std::unique_ptr<platform::HistoryStore> history_;
    bool historyTried_ = false;
    // The records of the folder the list shows, by name bytes.
    QByteArray historyFolder_;
    platform::FolderHistory folderHistory_;
    // How the last player window's showing ended.
    ShowingOutcome lastOutcome_;
};
