// The browser window's play options panel and the commands that start
// playback and end the program: Play (once or repeated), Play all (forward,
// backward or shuffled), the list's click and double click, End, Cancel and
// the link label. The browser hands each file to a player window through the
// play state and learns of a user stop through StopRequested.
#include "app/Vidrolle_2ndS.h"

#include "shared/AppTexts.h"
#include "shared/Shuffle.h"
#include "shared/Vidrolle_2nd_b.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/OpenUrl.h"
#include "platform/widgets/Pickers.h"
#include "platform/widgets/Pointer.h"
#include "platform/widgets/Screen.h"
#include "players/Vidrolle_2ndM.h"
#include "players/Vidrolle_2ndR.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>

#include <algorithm>

namespace {

// The property that records which picture an option image was last given.
constexpr const char* kShowsSelectedProperty = "vidrolleShowsSelected";

void ShowOptionPicture(QLabel* image, const QImage& picture, bool selected)
{
    image->setPixmap(QPixmap::fromImage(picture));
    image->setProperty(kShowsSelectedProperty, selected);
}

} // namespace

// --- play options ----------------------------------------------------------

void Vidrolle_2ndS::Img_SEQ_Click(int index)
{
    state_.PlayOrder = static_cast<int16_t>(index);
    RedrawOptionGroup({Img_SEQ.begin(), Img_SEQ.end()}, state_.PlayOrder);
}

void Vidrolle_2ndS::lbl_SEQ_Click(int index)
{
    Img_SEQ_Click(index);
}

void Vidrolle_2ndS::Img_Rep_Click(int index)
{
    state_.RepeatMode = static_cast<int16_t>(index);
    RedrawOptionGroup({Img_Rep.begin(), Img_Rep.end()}, state_.RepeatMode);
}

void Vidrolle_2ndS::lbl_Rep_Click(int index)
{
    Img_Rep_Click(index);
}

void Vidrolle_2ndS::Img_Size_Click(int index)
{
    state_.SizeMode = static_cast<int16_t>(index);
    RedrawOptionGroup({Img_Size.begin(), Img_Size.end()}, state_.SizeMode);
    // The factor only means something for the magnified size; the box keeps
    // its text while disabled so that choosing that size again restores it.
    Cmb_Bairitu->setEnabled(state_.SizeMode == 1);
}

void Vidrolle_2ndS::lbl_Size_Click(int index)
{
    Img_Size_Click(index);
}

void Vidrolle_2ndS::RedrawOptionGroup(const std::vector<QLabel*>& images, int value)
{
    for (QLabel* image : images)
        ShowOptionPicture(image, Img_off, false);
    // A value from an edited settings file may name no option: all stay off.
    if (value >= 0 && value < static_cast<int>(images.size()))
        ShowOptionPicture(images[static_cast<size_t>(value)], Img_on, true);
}

bool Vidrolle_2ndS::ShowsSelected(const QLabel* image)
{
    return image != nullptr && image->property(kShowsSelectedProperty).toBool();
}

// --- steps shared by Play and Play all --------------------------------------

void Vidrolle_2ndS::RefreshMagnification()
{
    state_.Magnification = MagnificationFromText(Cmb_Bairitu->currentText());
}

void Vidrolle_2ndS::SelectedPosition()
{
    ListPosition = 1;
    const int count = ListV->Count();
    for (int position = 1; position <= count; ++position) {
        if (ListV->Selected(position)) {
            ListPosition = position;
            return;
        }
    }
}

QString Vidrolle_2ndS::PathOfItem(int position) const
{
    // The folder path ends with a separator only at the root.
    const QString folder = Dir1->Path();
    const QString name = ListV->Name(position);
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

bool Vidrolle_2ndS::ShowPlayerFor(const QString& path)
{
    // The player opens on the screen that shows the browser.
    platform::UseScreenShowing(frameGeometry());
    // Closing a player while the browser is hidden must not count as closing
    // the program's last window, or the program would quit in mid-run.
    if (IsStreamingFile(path)) {
        // A fresh streaming window per showing: its control is torn down
        // with the window.
        Vidrolle_2ndR window(state_, deps_.streamingEngines, imgImages);
        window.setAttribute(Qt::WA_QuitOnClose, false);
        const bool shown = window.ShowModal();
        lastOutcome_ = window.LastShowing();
        return shown;
    }
    if (!mediaWindow_)
        mediaWindow_ = std::make_unique<Vidrolle_2ndM>(state_, deps_.mediaEngines, imgImages);
    mediaWindow_->setAttribute(Qt::WA_QuitOnClose, false);
    const bool shown = mediaWindow_->ShowModal();
    lastOutcome_ = mediaWindow_->LastShowing();
    return shown;
}

bool Vidrolle_2ndS::IsStreamingFile(const QString& path)
{
    // ".ram" ends in "RAM" and ".rm" in ".RM"; ".rmvb" ends in "MVB" and so
    // plays in the media window like every other kind.
    const QString ending = path.right(3).toUpper();
    return ending == QLatin1String("RAM") || ending == QLatin1String(".RM");
}

bool Vidrolle_2ndS::PlayItem(int position)
{
    // A position that names no item (the list changed under the walk) is
    // passed over like a showing that ended.
    if (position < 1 || position > ListV->Count())
        return false;
    state_.CurrentFile = PathOfItem(position);
    lastOutcome_ = {};
    const bool shown = ShowPlayerFor(state_.CurrentFile);
    RecordShowing(lastOutcome_, position);
    return shown;
}

// --- Play, Play all and the list --------------------------------------------

void Vidrolle_2ndS::Cmd_Play_Click()
{
    RefreshMagnification();
    SelectedPosition();
    if (File1->ListCount() == 0 || ListV->Count() == 0)
        return;

    hide();
    if (state_.RepeatMode != 0) {
        state_.StopRequested = kFalse;
        // A player that cannot be shown at all would return at once, again
        // and again, with no chance for the user to stop: the loop ends then.
        while (PlayItem(ListPosition) && state_.StopRequested == 0) {
        }
    } else {
        PlayItem(ListPosition);
    }
    show();
}

void Vidrolle_2ndS::Cmd_Play_C_Click()
{
    RefreshMagnification();
    if (File1->ListCount() == 0)
        return;

    hide();
    state_.StopRequested = kFalse;
    const int count = ListV->Count();
    // A showing that failed counts as one that ended: the walk goes on.
    switch (state_.PlayOrder) {
    case 0:
        for (WalkPosition = ListPosition; WalkPosition <= count; ++WalkPosition) {
            PlayItem(WalkPosition);
            if (state_.StopRequested != 0)
                break;
        }
        break;
    case 1:
        // A remembered position beyond a refilled, shorter list starts the
        // backward walk at the list's last item.
        for (WalkPosition = std::min(ListPosition, count); WalkPosition >= 1; --WalkPosition) {
            PlayItem(WalkPosition);
            if (state_.StopRequested != 0)
                break;
        }
        break;
    case 2:
        if (count >= 1)
            MakeShuffledOrder(count);
        for (WalkPosition = 1; WalkPosition <= count; ++WalkPosition) {
            PlayItem(ShuffledOrder[static_cast<size_t>(WalkPosition)]);
            if (state_.StopRequested != 0)
                break;
        }
        break;
    default:
        break;
    }
    show();
}

void Vidrolle_2ndS::MakeShuffledOrder(int n)
{
    ShuffledOrder.assign(static_cast<size_t>(std::max(n, 0)) + 1, 0);
    const std::vector<int> order =
        ShuffledPositions(n, deps_.uniformDraw ? deps_.uniformDraw : std::function<double()>(ProgramUniformDraw));
    for (size_t i = 0; i < order.size(); ++i)
        ShuffledOrder[i + 1] = order[i];
}

void Vidrolle_2ndS::ListV_Click()
{
    SelectedPosition();
}

void Vidrolle_2ndS::ListV_Resume(int position, double seconds)
{
    RefreshMagnification();
    hide();
    state_.StartAt = seconds;
    PlayItem(position);
    // Every other showing starts at the start.
    state_.StartAt = 0;
    show();
}

void Vidrolle_2ndS::ListV_DblClick()
{
    Cmd_Play_Click();
}

// --- leaving ------------------------------------------------------------------

void Vidrolle_2ndS::Cmd_End_Click()
{
    // The program still ends, but the user learns that this time's options
    // are lost and why.
    const SettingsSaved saved = SaveSettings();
    if (!saved.saved)
        platform::MsgBox(SaveFailedText(SettingsFileName(), saved.reason), QString::fromUtf8(kSaveFailedTitle),
                         platform::MsgButtons::Ok, platform::MsgIcon::Critical);
    close();
    EndProgram();
}

void Vidrolle_2ndS::Cmd_Can_Click()
{
    close();
    EndProgram();
}

void Vidrolle_2ndS::EndProgram()
{
    if (deps_.endProgram)
        deps_.endProgram();
    else
        QCoreApplication::exit(0);
}

void Vidrolle_2ndS::lbl_URL_Click()
{
    const platform::BusyPointer busy;
    platform::OpenWithDesktop(lbl_URL->text());
}
