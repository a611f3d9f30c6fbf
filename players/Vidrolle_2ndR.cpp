#include "players/Vidrolle_2ndR.h"

#include "players/PlayerChrome.h"

#include "platform/FileInfo.h"
#include "platform/Keys.h"
#include "platform/Pointer.h"
#include "platform/Screen.h"
#include "players/ScreenFit.h"
#include "players/StreamingLayout.h"
#include "players/StreamingWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QWheelEvent>

namespace {

const QString kCaptionLoading = QStringLiteral("Loading...");
const QString kCaptionPause = QStringLiteral("Pause");
const QString kCaptionUnloading = QStringLiteral("Unloading");

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

// Keys whose repeats count: holding Up or Down keeps changing the loudness.
bool Repeats(int keyCode)
{
    return keyCode == platform::kKeyUp || keyCode == platform::kKeyDown;
}

} // namespace

Vidrolle_2ndR::Vidrolle_2ndR(PlayState& state, platform::StreamingEngineFactory engineFactory,
                             const ExitPictures& pictures, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), state_(state),
      engineFactory_(std::move(engineFactory)), pictures_(pictures), viewerKeys_(state)
{
    setWindowModality(Qt::ApplicationModal);
    PaintBlack(this);
    transportTimer_.setInterval(kTransportIntervalMs);
    connect(&transportTimer_, &QTimer::timeout, this, &Vidrolle_2ndR::Transport_Timer);
}

Vidrolle_2ndR::~Vidrolle_2ndR()
{
    if (loop_)
        loop_->quit();
    qApp->removeEventFilter(this);
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

    // Every key reaches the window first, whichever child has the focus.
    qApp->installEventFilter(this);
    QPointer<Vidrolle_2ndR> self(this);
    if (!closing_) {
        show();
        activateWindow();
        transportTimer_.start();
        QEventLoop loop;
        loop_ = &loop;
        // A close during Form_Load or show() has already happened; a quit
        // asked for before exec() would be lost, hence the second look.
        if (!closing_)
            loop.exec();
        if (!self)
            return true;
        loop_ = nullptr;
    }

    // Nothing of this showing is on the stack any more: the engine can go.
    qApp->removeEventFilter(this);
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
        SetCaption(kCaptionPause);
        break;
    case 5:
        SetCaption(QStringLiteral("Seeking"));
        break;
    default:
        break;
    }
}

void Vidrolle_2ndR::Form_KeyDown(int keyCode)
{
    if (!showing_ || closing_)
        return;
    switch (keyCode) {
    case platform::kKeyControl:
        SetCaption(kCaptionUnloading);
        NoteEnd(ShowingEnd::Skipped);
        Unload();
        break;
    case platform::kKeyAlt:
        // The caption is the only record of the pause: whatever else it reads
        // ("Buffering...", "Seeking"), Alt pauses.
        if (lbl_msg->text() == kCaptionPause) {
            SetCaption(PlayingCaption());
            if (engine_)
                engine_->DoPlay();
            // Show where the clip resumes from without waiting for the tick.
            Transport_Timer();
        } else {
            SetCaption(kCaptionPause);
            if (engine_)
                engine_->DoPause();
        }
        break;
    case platform::kKeyEscape:
    case platform::kKeySpace:
        SetCaption(kCaptionUnloading);
        state_.StopRequested = kTrue;
        NoteEnd(ShowingEnd::Stopped);
        Unload();
        break;
    default:
        viewerKeys_.Form_KeyDown(keyCode, engine_ ? engine_->Controls() : nullptr);
        break;
    }
}

void Vidrolle_2ndR::ImgExit_MouseDown(Qt::MouseButton)
{
    if (!showing_ || closing_)
        return;
    ImgExit->SetPicture(pictures_.pressed);
}

void Vidrolle_2ndR::ImgExit_MouseUp(Qt::MouseButton)
{
    if (!showing_ || closing_)
        return;
    ImgExit->SetPicture(pictures_.released);
    // Let the released look be painted before the window goes.
    QCoreApplication::processEvents();
    // The user let go on the exit image, so the run stops even if the clip
    // happened to end while the picture was being repainted.
    state_.StopRequested = kTrue;
    NoteEnd(ShowingEnd::Stopped);
    Unload();
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

void Vidrolle_2ndR::NoteEnd(ShowingEnd end)
{
    if (outcome_.end != ShowingEnd::None || closing_)
        return;
    outcome_.end = end;
    if (engine_) {
        outcome_.position = engine_->Position();
        outcome_.duration = engine_->Length();
    }
    if (!outcome_.duration)
        outcome_.duration = knownLength_;
}

void Vidrolle_2ndR::Unload()
{
    if (!showing_ || closing_)
        return;
    closing_ = true;
    transportTimer_.stop();
    hide();
    if (loop_)
        loop_->quit();
}

QString Vidrolle_2ndR::PlayingCaption() const
{
    return QStringLiteral("Playing... ") + platform::ExistingFileName(state_.CurrentFile);
}

void Vidrolle_2ndR::SetCaption(const QString& text)
{
    lbl_msg->setText(text);
    lbl_msg->adjustSize();
}

bool Vidrolle_2ndR::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && watched == RealSC && showing_ && !closing_) {
        viewerKeys_.Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y(), engine_ ? engine_->Controls() : nullptr);
        return true;
    }
    if (event->type() != QEvent::KeyPress || !showing_ || closing_)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int keyCode = platform::KeyCodeOf(key->key());
    if (!IsWindowKey(keyCode))
        return QWidget::eventFilter(watched, event);
    // A held key repeats; acting on the repeats would make a held Alt flicker
    // between pause and play.
    if (!key->isAutoRepeat() || Repeats(keyCode))
        Form_KeyDown(keyCode);
    key->accept();
    return true;
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
