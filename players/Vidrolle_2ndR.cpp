#include "players/Vidrolle_2ndR.h"

#include "players/PlayerChrome.h"

#include "platform/system/FileInfo.h"
#include "platform/widgets/Keys.h"
#include "platform/widgets/Pointer.h"
#include "platform/widgets/Screen.h"
#include "players/ScreenFit.h"
#include "players/StreamingLayout.h"
#include "players/StreamingWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>

namespace {

const QString kCaptionLoading = QStringLiteral("Loading...");

void PaintBlack(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

bool IsWindowKey(int keyCode)
{
    return keyCode == platform::kKeyControl || keyCode == platform::kKeyAlt ||
           keyCode == platform::kKeyEscape || keyCode == platform::kKeySpace ||
           viewer::ViewerKeys::IsViewerKey(keyCode);
}

} // namespace

Vidrolle_2ndR::Vidrolle_2ndR(PlayState& state, platform::StreamingEngineFactory engineFactory,
                             const ExitPictures& pictures, QWidget* parent)
    : PlayerWindow(state, pictures, parent), engineFactory_(std::move(engineFactory))
{
    setWindowModality(Qt::ApplicationModal);
    PaintBlack(this);
    transportTimer_.setInterval(kTransportIntervalMs);
    connect(&transportTimer_, &QTimer::timeout, this, &Vidrolle_2ndR::Transport_Timer);
}

Vidrolle_2ndR::~Vidrolle_2ndR()
{
    EndWait();
    StopTakingKeys();
    // The engine draws into RealSC, so it goes before the children do.
    ReleaseEngine();
}

void Vidrolle_2ndR::BuildControls()
{
    Image1 = new streaming::PictureImage(this);
    Image1->SetStretch(true);
    Image1->SetPicture(TitleStripPicture());
    Image1->setGeometry(0, 0, 500, streaming::kTitleHeight);

    lbl_msg = new QLabel(kCaptionLoading, this);
    lbl_msg->setFont(StatusTextFont(streaming::kTitleHeight - 4));
    QPalette text = lbl_msg->palette();
    text.setColor(QPalette::WindowText, Qt::white);
    lbl_msg->setPalette(text);
    lbl_msg->setAttribute(Qt::WA_TransparentForMouseEvents);
    lbl_msg->move(8, 4);
    lbl_msg->adjustSize();

    ImgExit = new streaming::PictureImage(this);
    ImgExit->SetPicture(pictures_.released);
    ImgExit->move(500 - streaming::kExitImageInset, streaming::kExitImageTop);
    ImgExit->setCursor(Qt::PointingHandCursor);
    connect(ImgExit, &streaming::PictureImage::MouseDown, this, &Vidrolle_2ndR::ImgExit_MouseDown);
    connect(ImgExit, &streaming::PictureImage::MouseUp, this, &Vidrolle_2ndR::ImgExit_MouseUp);

    RealSC = new QWidget(this);
    PaintBlack(RealSC);
    RealSC->setGeometry(QRect(QPoint(0, streaming::kTitleHeight), streaming::kDesignPictureSize));

    Real_Pos = new streaming::PositionSlider(this);
    Real_Pos->setGeometry(0, streaming::kDesignPictureSize.height() + streaming::kTitleHeight,
                          streaming::kDesignPictureSize.width(), streaming::kSliderHeight);
    connect(Real_Pos, &streaming::PositionSlider::SeekRequested, this, &Vidrolle_2ndR::Real_Pos_Seek);

    Realmain = new streaming::StatusBar(this);
    Realmain->setGeometry(0,
                          streaming::kDesignPictureSize.height() + streaming::kTitleHeight +
                              streaming::kSliderHeight,
                          streaming::kDesignPictureSize.width(), streaming::kStatusBarHeight);

    // The title strip and what stands on it are drawn above the picture area.
    Image1->raise();
    lbl_msg->raise();
    ImgExit->raise();
}

void Vidrolle_2ndR::DestroyControls()
{
    // Only ever called between showings, when no handler of a child is running.
    for (QWidget* child : {static_cast<QWidget*>(Image1), static_cast<QWidget*>(lbl_msg),
                           static_cast<QWidget*>(ImgExit), RealSC, static_cast<QWidget*>(Real_Pos),
                           static_cast<QWidget*>(Realmain)})
        delete child;
    Image1 = nullptr;
    lbl_msg = nullptr;
    ImgExit = nullptr;
    RealSC = nullptr;
    Real_Pos = nullptr;
    Realmain = nullptr;
}

void Vidrolle_2ndR::ReleaseEngine()
{
    if (!engine_)
        return;
    disconnect(engine_.get(), nullptr, this, nullptr);
    engine_.reset();
}

bool Vidrolle_2ndR::ShowModal()
{
    // A showing cannot start inside another one.
    if (showing_)
        return false;

    DestroyControls();
    BuildControls();
    closing_ = false;
    opened_ = false;
    knownLength_.reset();
    outcome_ = {};
    if (engineFactory_)
        engine_ = engineFactory_(RealSC);
    if (!engine_) {
        outcome_.end = ShowingEnd::NotPlayable;
        return false;
    }
    viewerKeys_.Reset();
    viewerKeys_.ApplyTo(engine_->Controls());
    connect(engine_.get(), &platform::StreamingEngine::ClipOpened, this,
            &Vidrolle_2ndR::Realmain_ClipOpened);
    connect(engine_.get(), &platform::StreamingEngine::PlayStateChange, this,
            &Vidrolle_2ndR::Realmain_PlayStateChange);

    showing_ = true;
    Form_Load();

    if (!closing_) {
        transportTimer_.start();
        if (!ShowAndWait([this] { return closing_; }))
            return true;
    }

    // Nothing of this showing is on the stack any more: the engine can go.
    StopTakingKeys();
    transportTimer_.stop();
    hide();
    ReleaseEngine();
    showing_ = false;
    return true;
}

void Vidrolle_2ndR::Form_Load()
{
    setGeometry(streaming::WaitingGeometry(platform::Screen()));
    PaintBlack(this);
    if (engine_) {
        engine_->SetSource(QStringLiteral("file://") + state_.CurrentFile);
        engine_->DoPlay();
    }
    RealSC->hide();
    Realmain->hide();
    Real_Pos->hide();
    if (state_.SizeMode == 2)
        move(platform::Screen().left, platform::Screen().top);
    platform::SetDefaultPointer();
}

void Vidrolle_2ndR::Realmain_ClipOpened(const QString&, const QString&)
{
    if (!showing_ || closing_ || !engine_)
        return;
    opened_ = true;
    const platform::ScreenMetrics screen = platform::Screen();
    const QSize wanted =
        streaming::PictureSizeFor(state_.SizeMode, state_.Magnification, engine_->ClipWidth(),
                                  engine_->ClipHeight(), RealSC->size(), screen);
    // A window that would not fit the screen's free part gets a smaller
    // picture and is placed within that part.
    const QSize picture = state_.SizeMode == 2
                              ? wanted
                              : screen_fit::FitOnScreen(wanted, streaming::kExtraHeight, screen.Available().size());
    streaming::StreamingLayout layout = streaming::LayOutAround(picture, screen);
    if (picture != wanted)
        layout.window.moveTo(screen_fit::PlaceIn(screen.Available(), layout.window.size()));

    RealSC->setGeometry(layout.picture);
    setGeometry(layout.window);
    Real_Pos->setGeometry(layout.slider);
    Realmain->setGeometry(layout.statusBar);
    Image1->setGeometry(layout.titleStrip);
    ImgExit->move(layout.exitImageLeft, streaming::kExitImageTop);

    RealSC->show();
    Realmain->show();
    Real_Pos->show();
    // A resumed showing goes on from where the last one stopped.
    if (state_.StartAt > 0)
        engine_->Seek(state_.StartAt);
    Transport_Timer();
}

void Vidrolle_2ndR::Realmain_PlayStateChange(int state)
{
    if (!showing_ || closing_)
        return;
    Realmain->SetPlayState(state);
    switch (state) {
    case 0:
        SetCaption(QStringLiteral("Stop"));
        NoteEnd(opened_ ? ShowingEnd::PlayedToEnd : ShowingEnd::NotPlayable);
        Unload();
        break;
    case 1:
        SetCaption(QStringLiteral("Connecting..."));
        break;
    case 2:
        SetCaption(QStringLiteral("Buffering..."));
        break;
    case 3:
        SetCaption(PlayingCaption());
        break;
    case 4:
        SetCaption(QStringLiteral("Pause"));
        break;
    case 5:
        SetCaption(QStringLiteral("Seeking"));
        break;
    default:
        break;
    }
}

void Vidrolle_2ndR::PlayOn()
{
    if (engine_)
        engine_->DoPlay();
    // Show where the clip resumes from without waiting for the tick.
    Transport_Timer();
}

void Vidrolle_2ndR::PauseHere()
{
    if (engine_)
        engine_->DoPause();
}

bool Vidrolle_2ndR::TakesKey(int keyCode) const
{
    return IsWindowKey(keyCode);
}

bool Vidrolle_2ndR::ActsOnRepeat(int keyCode) const
{
    // A held Alt would flicker between pause and play; a held Up or Down
    // keeps changing the loudness.
    return keyCode == platform::kKeyUp || keyCode == platform::kKeyDown;
}

void Vidrolle_2ndR::ImgExit_MouseDown(Qt::MouseButton)
{
    if (Playing())
        ExitImagePressed();
}

void Vidrolle_2ndR::ImgExit_MouseUp(Qt::MouseButton)
{
    if (Playing())
        ExitImageReleased();
}

void Vidrolle_2ndR::ShowExitPicture(const QImage& picture)
{
    ImgExit->SetPicture(picture);
}

void Vidrolle_2ndR::Transport_Timer()
{
    if (!showing_ || closing_ || !engine_)
        return;
    const std::optional<double> position = engine_->Position();
    const std::optional<double> length = engine_->Length();
    if (length)
        knownLength_ = length;
    Real_Pos->SetTransport(position, length);
    Realmain->SetTime(position, length);
}

void Vidrolle_2ndR::Real_Pos_Seek(double seconds)
{
    if (!showing_ || closing_ || !engine_)
        return;
    engine_->Seek(seconds);
    // The slider and the time show the new place at once, paused or not.
    Transport_Timer();
}

std::optional<double> Vidrolle_2ndR::ReachedPosition() const
{
    return engine_ ? engine_->Position() : std::nullopt;
}

std::optional<double> Vidrolle_2ndR::KnownLength() const
{
    // The engine forgets the length once the clip has ended.
    if (const std::optional<double> length = engine_ ? engine_->Length() : std::nullopt)
        return length;
    return knownLength_;
}

void Vidrolle_2ndR::Unload()
{
    if (!showing_ || closing_)
        return;
    closing_ = true;
    transportTimer_.stop();
    hide();
    EndWait();
}

QString Vidrolle_2ndR::Caption() const
{
    return lbl_msg->text();
}

void Vidrolle_2ndR::SetCaption(const QString& text)
{
    lbl_msg->setText(text);
    lbl_msg->adjustSize();
}

void Vidrolle_2ndR::closeEvent(QCloseEvent* event)
{
    // Closed by the desktop (a window-manager shortcut): the user wants to
    // stop, as with the exit image, so a play-all run ends too. Unload hides
    // the window itself; letting the close go on could end the program while
    // the browser is hidden.
    if (showing_ && !closing_) {
        state_.StopRequested = kTrue;
        NoteEnd(ShowingEnd::Stopped);
    }
    Unload();
    event->ignore();
}
