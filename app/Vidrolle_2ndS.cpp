// The browser window's layout, start-up, folder navigation, list fill and
// column sorting. The play options and playback commands live in
// Vidrolle_2ndS_play.cpp.
#include "app/Vidrolle_2ndS.h"

#include "shared/AppTexts.h"
#include "shared/ListSorting.h"
#include "shared/Vidrolle_2nd_b.h"
#include "controls/Command.h"
#include "controls/GFXFrameX.h"
#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/Pickers.h"
#include "platform/widgets/Pointer.h"
#include "platform/storage/Profile.h"
#include "platform/system/ProgramPlaces.h"
#include "platform/rules/Runtime.h"
#include "platform/widgets/Screen.h"
#include "platform/media/ThumbnailService.h"
#include "players/Vidrolle_2ndM.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// A label that reports a click (a left-button press and release inside it),
// as the option pictures, the option captions and the link label need.
class ClickableLabel : public QLabel {
public:
    explicit ClickableLabel(QWidget* parent) : QLabel(parent) {}

    void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        pressed_ = event->button() == Qt::LeftButton;
        QLabel::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool wasPressed = pressed_;
        pressed_ = false;
        QLabel::mouseReleaseEvent(event);
        if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
            && onClick_)
            onClick_();
    }

private:
    std::function<void()> onClick_;
    bool pressed_ = false;
};

// Places a widget inside its container at a position given in twips.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(platform::TwipsToPixelsX(left), platform::TwipsToPixelsY(top),
                        platform::TwipsToPixelsX(width), platform::TwipsToPixelsY(height));
}

ClickableLabel* MakeLabel(QWidget* container, const QString& caption, int left, int top, int width,
                          int height)
{
    auto* label = new ClickableLabel(container);
    label->setText(caption);
    PlaceTwips(label, left, top, width, height);
    // The substitute font runs wider and taller than the one the layout was
    // drawn for; a caption grows to show whole, centred on its designed row.
    const QSize needed = label->sizeHint();
    const int extraHeight = std::max(0, needed.height() - label->height());
    label->setGeometry(label->x(), label->y() - extraHeight / 2, std::max(label->width(), needed.width()),
                       label->height() + extraHeight);
    return label;
}

// The controls of an option frame stand on a transparent layer laid exactly
// over the frame, not in the frame itself: the frame's look comes from a
// style sheet, and a style sheet's rules are worked out again for every
// control inside the widget that carries it, which costs the start more
// than the frame itself. The controls look the same either way.
QWidget* ContentOf(QGroupBox* frame)
{
    auto* content = new QWidget(frame->parentWidget());
    content->setGeometry(frame->geometry());
    return content;
}

// An option picture: a 13 x 13 mark shown stretched over the image control.
ClickableLabel* MakeOptionImage(QWidget* container, int index)
{
    auto* image = new ClickableLabel(container);
    image->setScaledContents(true);
    PlaceTwips(image, 180, 240 + 300 * index, 195, 195);
    return image;
}

// The two option marks: a filled dot for the selected option, an empty ring
// for the others, both on the window's background so they read as radio marks.
QImage DrawOptionMark(bool selected)
{
    QImage image(13, 13, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.0));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(0.5, 0.5, 12.0, 12.0));
    if (selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x10, 0x10, 0x10));
        painter.drawEllipse(QRectF(3.5, 3.5, 6.0, 6.0));
    }
    return image;
}

// The window's font: the Japanese UI font where it is installed, else a CJK
// font that shows the same captions.
QFont WindowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans")});
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    return font;
}

// Sets an editable combo box's text, choosing the matching row when there is one.
void SetComboText(QComboBox* combo, const QString& text)
{
    const int row = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (row >= 0)
        combo->setCurrentIndex(row);
    combo->setEditText(text);
    // A pattern longer than the box shows its start, where its first kinds are.
    combo->lineEdit()->setCursorPosition(0);
}

// The first eight rows are the kinds the program has always offered, in their
// old order, so a remembered pattern finds its row as before. The ninth row
// gathers the containers most films come in today; the media window plays
// every one of them.
const char* const kFileKindRows[] = {
    kDefaultPattern, "*.ram;*.rm;*.rmvb", "*.avi", "*.mpeg;*.mpg", "*.wmv", "*.asf", "*.divx", "*.dat",
    kTodaysKindsPattern,
};

} // namespace

Vidrolle_2ndS::Vidrolle_2ndS(PlayState& state, BrowserDependencies dependencies, QWidget* parent)
    : QWidget(parent), state_(state), deps_(std::move(dependencies))
{
    BuildControls();
}

Vidrolle_2ndS::~Vidrolle_2ndS() = default;

void Vidrolle_2ndS::BuildControls()
{
    setWindowTitle(QStringLiteral("Vidrolle 2nd"));
    // Folders and files dragged from a file manager open here.
    setAcceptDrops(true);
    setFont(WindowFont());
    setFixedSize(platform::TwipsToPixelsX(10140), platform::TwipsToPixelsY(6120));

    Img_off = DrawOptionMark(false);
    Img_on = DrawOptionMark(true);
    imgImages = MakeExitPictures();

    // The pickers' frame.
    GFXFrameX2 = new controls::GFXFrameX(this);
    PlaceTwips(GFXFrameX2, 120, 120, 2775, 5295);
    Drive1 = new platform::DriveListBox(GFXFrameX2);
    PlaceTwips(Drive1, 0, 0, 2655, 315);
    Dir1 = new platform::DirListBox(GFXFrameX2);
    PlaceTwips(Dir1, 0, 300, 2655, 4815);

    // The list's frame, with the file-kind box and the three option frames.
    GFXFrameX1 = new controls::GFXFrameX(this);
    PlaceTwips(GFXFrameX1, 2880, 120, 7215, 5295);
    Combo_Kind = new QComboBox(GFXFrameX1);
    Combo_Kind->setEditable(true);
    Combo_Kind->setInsertPolicy(QComboBox::NoInsert);
    PlaceTwips(Combo_Kind, 0, 0, 7100, 315);
    ListV = new platform::ReportListView(GFXFrameX1);
    PlaceTwips(ListV, 0, 300, 7095, 3555);

    Frame1 = new QGroupBox(QStringLiteral("動画のｻｲｽﾞ"), GFXFrameX1);
    PlaceTwips(Frame1, 120, 3900, 2175, 1155);
    QWidget* const inFrame1 = ContentOf(Frame1);
    for (int i = 0; i < 3; ++i)
        Img_Size[i] = MakeOptionImage(inFrame1, i);
    lbl_Size[0] = MakeLabel(inFrame1, QStringLiteral("ｵﾘｼﾞﾅﾙ"), 420, 240, 630, 195);
    Cmb_Bairitu = new QComboBox(inFrame1);
    Cmb_Bairitu->setEditable(true);
    Cmb_Bairitu->setInsertPolicy(QComboBox::NoInsert);
    Cmb_Bairitu->setEditText(QStringLiteral("1.2"));
    PlaceTwips(Cmb_Bairitu, 420, 480, 675, 315);
    lbl_Size[1] = MakeLabel(inFrame1, QStringLiteral("倍"), 1140, 540, 195, 195);
    lbl_Size[2] = MakeLabel(inFrame1, QStringLiteral("ﾌﾙｽｸﾘｰﾝ"), 420, 840, 780, 195);

    Frame2 = new QGroupBox(GFXFrameX1);
    PlaceTwips(Frame2, 2400, 3900, 2235, 1155);
    QWidget* const inFrame2 = ContentOf(Frame2);
    for (int i = 0; i < 2; ++i)
        Img_Rep[i] = MakeOptionImage(inFrame2, i);
    lbl_Rep[0] = MakeLabel(inFrame2, QStringLiteral("１回"), 420, 240, 330, 195);
    lbl_Rep[1] = MakeLabel(inFrame2, QStringLiteral("繰返し"), 420, 540, 540, 195);
    Cmd_Play = new controls::Command(inFrame2);
    PlaceTwips(Cmd_Play, 1020, 240, 1035, 435);
    Cmd_Play->SetCaption(QStringLiteral("再生"));

    Frame3 = new QGroupBox(GFXFrameX1);
    PlaceTwips(Frame3, 4740, 3900, 2235, 1155);
    QWidget* const inFrame3 = ContentOf(Frame3);
    for (int i = 0; i < 3; ++i)
        Img_SEQ[i] = MakeOptionImage(inFrame3, i);
    lbl_SEQ[0] = MakeLabel(inFrame3, QStringLiteral("順次"), 420, 240, 390, 195);
    lbl_SEQ[1] = MakeLabel(inFrame3, QStringLiteral("順逆"), 420, 540, 390, 195);
    lbl_SEQ[2] = MakeLabel(inFrame3, QStringLiteral("ﾗﾝﾀﾞﾑ"), 420, 840, 480, 195);
    Cmd_Play_C = new controls::Command(inFrame3);
    PlaceTwips(Cmd_Play_C, 1020, 240, 1035, 435);
    Cmd_Play_C->SetCaption(QStringLiteral("連続再生"));

    // The strip along the bottom of the window.
    lbl_Credit = MakeLabel(this, QString::fromUtf8(kCreditText), 180, 5460, 2445, 195);
    auto* link = MakeLabel(this, QString::fromUtf8(kHomePageAddress), 2940, 5460, 3285, 195);
    link->setCursor(Qt::PointingHandCursor);
    lbl_URL = link;
    Cmd_Can = new controls::Command(this);
    PlaceTwips(Cmd_Can, 7860, 5460, 1035, 435);
    Cmd_Can->SetCaption(QStringLiteral("ｷｬﾝｾﾙ"));
    Cmd_End = new controls::Command(this);
    PlaceTwips(Cmd_End, 8940, 5460, 1035, 435);
    Cmd_End->SetCaption(QStringLiteral("終了"));

    // The file picker only feeds the list; the user reads the list.
    File1 = new platform::FileListBox(this);
    PlaceTwips(File1, 3120, 660, 2655, 2610);
    File1->hide();

    for (controls::Command* button : {Cmd_Play, Cmd_Play_C, Cmd_Can, Cmd_End})
        button->SetFont(font());

    // The option frames draw their caption across the top border line, as
    // the layout expects: their contents start a row below the border.
    for (QGroupBox* frame : {Frame1, Frame2, Frame3})
        frame->setStyleSheet(
            QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.6em; }"
                           "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));

    // The media window is made when the first file plays: a user who only
    // browses never pays for it, and the browser shows sooner.

    // Every event goes to its handler explicitly.
    connect(Drive1, &platform::DriveListBox::Change, this, &Vidrolle_2ndS::Drive1_Change);
    connect(Dir1, &platform::DirListBox::Change, this, &Vidrolle_2ndS::Dir1_Change);
    connect(File1, &platform::FileListBox::PathChange, this, &Vidrolle_2ndS::File1_PathChange);
    connect(File1, &platform::FileListBox::PatternChange, this, &Vidrolle_2ndS::File1_PatternChange);
    connect(Combo_Kind, &QComboBox::activated, this, [this](int) {
        Combo_Kind->lineEdit()->setCursorPosition(0);
        Combo_Kind_Click();
    });
    // A typed pattern takes effect on Enter, like a chosen row.
    connect(Combo_Kind->lineEdit(), &QLineEdit::returnPressed, this, &Vidrolle_2ndS::Combo_Kind_Click);
    connect(ListV, &platform::ReportListView::ColumnClick, this, &Vidrolle_2ndS::ListV_ColumnClick);
    connect(ListV, &platform::ReportListView::Click, this, &Vidrolle_2ndS::ListV_Click);
    connect(ListV, &platform::ReportListView::DblClick, this, &Vidrolle_2ndS::ListV_DblClick);
    connect(ListV, &platform::ReportListView::KeyDown, this, &Vidrolle_2ndS::ListV_KeyDown);
    connect(ListV, &platform::ReportListView::ContextMenu, this, &Vidrolle_2ndS::ListV_ContextMenu);
    connect(Cmd_Play, &controls::Command::Click, this, &Vidrolle_2ndS::Cmd_Play_Click);
    connect(Cmd_Play_C, &controls::Command::Click, this, &Vidrolle_2ndS::Cmd_Play_C_Click);
    connect(Cmd_Can, &controls::Command::Click, this, &Vidrolle_2ndS::Cmd_Can_Click);
    connect(Cmd_End, &controls::Command::Click, this, &Vidrolle_2ndS::Cmd_End_Click);
    link->OnClick([this] { lbl_URL_Click(); });
    for (int i = 0; i < 3; ++i) {
        static_cast<ClickableLabel*>(Img_Size[i])->OnClick([this, i] { Img_Size_Click(i); });
        static_cast<ClickableLabel*>(lbl_Size[i])->OnClick([this, i] { lbl_Size_Click(i); });
        static_cast<ClickableLabel*>(Img_SEQ[i])->OnClick([this, i] { Img_SEQ_Click(i); });
        static_cast<ClickableLabel*>(lbl_SEQ[i])->OnClick([this, i] { lbl_SEQ_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        static_cast<ClickableLabel*>(Img_Rep[i])->OnClick([this, i] { Img_Rep_Click(i); });
        static_cast<ClickableLabel*>(lbl_Rep[i])->OnClick([this, i] { lbl_Rep_Click(i); });
    }
}

void Vidrolle_2ndS::Form_Load()
{
    InitCommandButtons(true, true);
    LoadSettings();
    // A folder from the command line counts as walked to, so End keeps it.
    if (!startFolder_.isEmpty())
        state_.FolderPath = startFolder_;
    OpenHistory();
    OpenThumbnails();

    // The pickers' change events during start-up would each fill the list
    // again before its columns exist, and the last fill below replaces it
    // all: the list is filled once, when everything is set.
    startingUp_ = true;
    for (const char* row : kFileKindRows)
        Combo_Kind->addItem(QString::fromUtf8(row));
    SetComboText(Combo_Kind, state_.FilePattern);
    File1->SetPattern(state_.FilePattern);

    ListV->SetWidthTwips(7090);

    // The frames grow or shrink to hold the two pickers exactly.
    const int framesHeight = Drive1->height() + Dir1->height() + platform::TwipsToPixelsY(110);
    GFXFrameX2->resize(GFXFrameX2->width(), framesHeight);
    GFXFrameX1->resize(GFXFrameX1->width(), framesHeight);

    // Each setting raises the pickers' change events; a drive that fails and
    // a refused folder give their messages here, as they would later.
    Drive1->SetDrive(state_.FolderPath);
    Dir1->SetPath(state_.FolderPath); // a refused folder leaves the picker where the drive put it
    File1->SetPath(Dir1->Path());

    ListV->AddColumn(QStringLiteral("File_Name"), QStringLiteral("ﾌｧｲﾙ名"), 4000, platform::ColumnAlignment::Left);
    ListV->AddColumn(QStringLiteral("File_Size"), QStringLiteral("ｻｲｽﾞ(KB)"), 1500, platform::ColumnAlignment::Right);
    ListV->AddColumn(QStringLiteral("File_Date"), QStringLiteral("更新日"), 1500, platform::ColumnAlignment::Left);
    startingUp_ = false;
    FillFileList();

    ListPosition = 1;

    RedrawOptionGroup({Img_Size.begin(), Img_Size.end()}, state_.SizeMode);
    // The factors 1.0 to 2.0: the float counter passes 2.1 by rounding after
    // the eleventh row, so 2.1 itself is never listed.
    for (float factor = 1.0f; factor <= 2.1; factor += 0.1f)
        Cmb_Bairitu->addItem(platform::FormatOneDecimal(factor));
    Cmb_Bairitu->setEditText(platform::FormatOneDecimal(state_.Magnification));
    Cmb_Bairitu->setEnabled(state_.SizeMode == 1);
    RedrawOptionGroup({Img_Rep.begin(), Img_Rep.end()}, state_.RepeatMode);
    RedrawOptionGroup({Img_SEQ.begin(), Img_SEQ.end()}, state_.PlayOrder);

    PlaceOnScreen();
}

void Vidrolle_2ndS::PlaceOnScreen()
{
    const platform::ScreenMetrics screen = platform::Screen();
    // The window's outer size counts its frame where the window system has
    // told us of one.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const int outerWidth = width() + std::max(0, outer.width() - inner.width());
    const int outerHeight = height() + std::max(0, outer.height() - inner.height());
    const double widthTwips = outerWidth * screen.twipsPerPixelX;
    const double heightTwips = outerHeight * screen.twipsPerPixelY;

    const auto freeWidth = static_cast<long long>(platform::RoundHalfEven(screen.WidthTwips() - widthTwips));
    const auto freeHeight = static_cast<long long>(platform::RoundHalfEven(screen.HeightTwips() - heightTwips));
    move(platform::TwipsToPixelsX(static_cast<double>(freeWidth / 2)),
         platform::TwipsToPixelsY(static_cast<double>(freeHeight / 3)));
}

void Vidrolle_2ndS::LoadSettings()
{
    const QString settings = SettingsFileName();
    platform::RemoveStaleProfileTemporaries(settings);
    LoadSettingsInto(state_, settings, DefaultFolder());
    const auto volume = LoadKeptSetting<VolumeSetting>(QString::fromLatin1(kVolumeKey), settings);
    state_.Volume = volume.value;
    volumeInFile_ = volume.inFile;
}

SettingsSaved Vidrolle_2ndS::SaveSettings()
{
    // The keys of the program's own additions come after the six, each
    // written only where it matters, all in one whole file.
    IniKeys additions;
    AddKeptSetting(QString::fromLatin1(kHistoryKey), historySetting_, additions);
    AddKeptSetting(QString::fromLatin1(kThumbnailsKey), thumbnailsSetting_, additions);
    AddKeptSetting(QString::fromLatin1(kVolumeKey), VolumeSetting{state_.Volume, volumeInFile_}, additions);
    return SaveSettingsFrom(state_, Dir1->Path(), Combo_Kind->currentText(), Cmb_Bairitu->currentText(),
                            SettingsFileName(), additions);
}

void Vidrolle_2ndS::InitCommandButtons(bool init, bool enable)
{
    for (controls::Command* button : findChildren<controls::Command*>()) {
        if (init)
            button->Initialize();
        else
            button->SetEnabled(enable ? kTrue : kFalse);
    }
}

void Vidrolle_2ndS::Drive1_Change()
{
    for (;;) {
        const std::optional<platform::PathError> error = Dir1->SetPath(Drive1->Drive());
        if (!error)
            return;
        const QString text = QStringLiteral("Error: ") + QString::number(error->number) + QStringLiteral(": ")
                             + error->description;
        if (platform::MsgBox(text, QStringLiteral("Error in setting path"), platform::MsgButtons::OkCancel)
            != platform::MsgAnswer::Ok) {
            // Back to the drive the folder picker still stands on; this raises
            // the drive change once more, for a drive that works.
            Drive1->SetDrive(Dir1->Path());
            return;
        }
    }
}

void Vidrolle_2ndS::Dir1_Change()
{
    const platform::BusyPointer busy;
    File1->SetPath(Dir1->Path());
}

void Vidrolle_2ndS::Combo_Kind_Click()
{
    File1->SetPattern(Combo_Kind->currentText());
}

void Vidrolle_2ndS::File1_PathChange()
{
    if (!startingUp_)
        FillFileList();
}

void Vidrolle_2ndS::File1_PatternChange()
{
    if (!startingUp_)
        FillFileList();
}

void Vidrolle_2ndS::FillFileList()
{
    const platform::ListDrawingFreeze freeze(*ListV);
    ListV->Clear();

    // Columns are found by key, wherever they stand; 0 when absent (the early
    // fills of start-up list names only).
    int sizeSubItem = 0;
    int dateSubItem = 0;
    for (int column = 1; column <= ListV->ColumnCount(); ++column) {
        const QString key = ListV->ColumnKey(column);
        if (key == QLatin1String("File_Size"))
            sizeSubItem = column - 1;
        else if (key == QLatin1String("File_Date"))
            dateSubItem = column - 1;
    }

    // The marks need the name column; the early fills of start-up have none.
    const bool marking = ListV->ColumnCount() > 0 && File1->ListCount() > 0 && OpenedHistory();
    if (marking)
        LoadFolderHistory();
    const bool anyRecords = marking && !folderHistory_.files.Empty();

    // The files of a folder share few days, and making a date's text costs
    // more than reading the date: each day's text is made once per fill, and
    // kept in a table by day number (a date value holds whole days only). A
    // day that meets another in its slot is simply made again.
    struct DateSlot {
        double date = std::numeric_limits<double>::quiet_NaN();
        QString text;
    };
    std::vector<DateSlot> dateTexts(8192);
    const auto dateText = [&dateTexts](double date) -> const QString& {
        DateSlot& slot = dateTexts[static_cast<size_t>(static_cast<long long>(date)) % dateTexts.size()];
        if (slot.date != date)
            slot = {date, platform::DateToText(date)};
        return slot.text;
    };

    QString folder = Dir1->Path();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const int count = File1->ListCount();
    std::vector<QString> names;
    names.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index)
        names.push_back(File1->List(index));
    // One look-up gives the length and what tells the file from one put in
    // its place; the date is read through an open. The files are read
    // meanwhile on other threads while the rows are made here in order, and
    // what cannot be read is told row by row.
    const bool stamps = sizeSubItem > 0 || anyRecords;
    platform::ListedFilesReader files(folder, names, stamps, dateSubItem > 0);
    // While a message is up the folder may change; the files after it are
    // read again as their rows are made.
    bool readAgain = false;
    platform::ListingPath path(folder);
    platform::ListedFile readNow;

    ListV->ReserveRows(count);
    std::string nameBytes;
    for (int index = 0; index < count; ++index) {
        // A name that is not valid UTF-8 shows a readable text; the row keeps
        // the name itself, which plays.
        const QString& name = names[static_cast<size_t>(index)];
        const int row = ListV->Add(platform::DisplayName(name), name);
        platform::ListedFile& file = readAgain ? readNow : files.At(static_cast<size_t>(index));
        if (readAgain) {
            path.SetName(name);
            file = {};
            if (stamps)
                file.stamp = platform::FileStampOf(path);
        }
        const std::optional<platform::FileStamp>& stamp = file.stamp;
        if (anyRecords)
            MarkRow(row, platform::NameToBytes(name, nameBytes), stamp);

        // A file that vanished since the picker listed it has no length: its
        // size stays empty rather than showing another file's.
        if (sizeSubItem > 0) {
            QString sizeText;
            if (stamp) {
                double kilobytes = static_cast<double>(stamp->length) / 1024.0;
                if (kilobytes == 0)
                    kilobytes = 1;
                sizeText = platform::FormatGrouped(kilobytes);
            }
            ListV->SetSubItemText(row, sizeSubItem, sizeText);
        }
        if (dateSubItem > 0) {
            if (readAgain)
                file.date = platform::FileLastWriteLocalDate(path);
            readAgain = readAgain || !file.date;
            const double date = GetFileDate(file.date, [&] { return folder + name; });
            ListV->SetSubItemText(row, dateSubItem, dateText(date));
        }
    }
    // The pictures are asked for once the rows are shown, never by the fill.
    if (thumbnails_) {
        thumbnails_->Forget();
        restingPosition_ = 0;
        ScheduleThumbnails();
    }
}

void Vidrolle_2ndS::ListV_ColumnClick(int column)
{
    if (column < 1 || column > 3)
        return;
    static constexpr int32_t kKindOfColumn[] = {SortKindText, SortKindText, SortKindNumber, SortKindDate};
    ColumnSortAscending[column] = static_cast<int16_t>(~ColumnSortAscending[column]);
    SortListView(*ListV, static_cast<int16_t>(column), kKindOfColumn[column], ColumnSortAscending[column]);
    // An empty list has no first row to select. The first row becomes the
    // one selection, as the user expects after a click on a header; rows
    // selected before the sort would otherwise stay highlighted beside it.
    if (ListV->Count() < 1)
        return;
    for (int position = 2; position <= ListV->Count(); ++position)
        if (ListV->Selected(position))
            ListV->SetSelected(position, false);
    ListV->SetSelected(1, true);
}
