#include "players/Vidrolle_2ndM.h"

#include "players/PlayerChrome.h"
#include "players/ScreenFit.h"

#include "controls/PropertyBag.h"
#include "controls/dtVisualScrollBar.h"
#include "platform/system/FileInfo.h"
#include "platform/widgets/Keys.h"
#include "platform/widgets/Pointer.h"
#include "platform/rules/Runtime.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <limits>


using namespace media_window;

namespace {

const QString kZeroTime = QStringLiteral("00:00:00");

// The position slider's thumb: a light 9 x 9 square with a dark edge.
QImage SliderThumbPicture()
{
    QImage image(9, 9, QImage::Format_RGB32);
    image.fill(QColor(0xe0, 0xe0, 0xe0));
    QPainter painter(&image);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawRect(0, 0, 8, 8);
    return image;
}

// The slider as the window designs it: horizontal, 0 to 32767, its thumb
// centred on a dark track. It has no arrow buttons: a step of the slider
// raises only Change, which the window does not seek on, so buttons would do
// nothing the user could see.
controls::PropertyBag SliderDesign()
{
    controls::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("ButtonsVisible"), false, true);
    bag.WriteProperty(QStringLiteral("Orientation"), 0, 1);
    bag.WriteProperty(QStringLiteral("ThumbAlignment"), 4, 0);
    bag.WriteProperty(QStringLiteral("PictureThumb"), QVariant::fromValue(SliderThumbPicture()), QVariant());
    bag.WriteProperty(QStringLiteral("Max"), 32767, std::numeric_limits<int32_t>::max());
    bag.WriteProperty(QStringLiteral("BackColor"), 0x404040u, 14737632u);
    return bag;
}

QLabel* MakeTimeLabel(QWidget* parent, int left)
{
    auto* label = new QLabel(kZeroTime, parent);
    // A small sans face; where the system's face runs wider than the label's
    // 42 pixels, a smaller size keeps all eight characters in view.
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(8.25);
    for (int pixels = 11; pixels > 6 && QFontMetrics(font).horizontalAdvance(kZeroTime) > 42; --pixels)
        font.setPixelSize(pixels);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
    label->setPalette(palette);
    label->setGeometry(left, 12, 42, 14);
    return label;
}

void FillBlack(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

Vidrolle_2ndM::Vidrolle_2ndM(PlayState& state, platform::MediaEngineFactory engineFactory,
                             const ExitPictures& pictures, QWidget* parent)
    : PlayerWindow(state, pictures, parent), engineFactory_(std::move(engineFactory))
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(palette);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap::fromImage(TitleStripPicture()));
    Image1->setScaledContents(true);
    Image1->setGeometry(0, 0, 500, kTitleHeight);

    lbl_msg = new QLabel(this);
    lbl_msg->setFont(StatusTextFont(kTitleHeight - 4));
    QPalette white = lbl_msg->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lbl_msg->setPalette(white);
    lbl_msg->move(8, 4);

    ImgExit = new QLabel(this);
    ImgExit->setCursor(Qt::PointingHandCursor);
    ImgExit->setGeometry(0, 4, 15, 15);
    ImgExit->installEventFilter(this);

    Display = new QWidget(this);
    FillBlack(Display);
    Display->setGeometry(0, kTitleHeight, 0, 0);
    Display->installEventFilter(this);

    Pic_B = new QWidget(this);
    FillBlack(Pic_B);
    Pic_B->setGeometry(0, kTitleHeight, 0, kPanelHeight);

    H1 = new controls::dtVisualScrollBar(Pic_B);
    H1->setGeometry(0, 0, 0, 9);
    Pos_Time = MakeTimeLabel(Pic_B, 0);
    lbl = new QLabel(QStringLiteral("/"), Pic_B);
    lbl->setPalette(white);
    lbl->setGeometry(44, 12, 7, 13);
    Total_Time = MakeTimeLabel(Pic_B, 52);
    Rem_Time = MakeTimeLabel(Pic_B, 104);

    Timer1.setInterval(kPlayingTickMs);
    connect(&Timer1, &QTimer::timeout, this, &Vidrolle_2ndM::Timer1_Timer);
    seekTick_.setSingleShot(true);
    seekTick_.setInterval(0);
    connect(&seekTick_, &QTimer::timeout, this, &Vidrolle_2ndM::Timer1_Timer);
    connect(H1, &controls::dtVisualScrollBar::Scroll, this, &Vidrolle_2ndM::H1_Scroll);

    ResetControls();
}

Vidrolle_2ndM::~Vidrolle_2ndM()
{
    Unload();
}

// --- showing ---------------------------------------------------------------------

bool Vidrolle_2ndM::ShowModal()
{
    if (showing_ || loaded_)
        return false;
    outcome_ = {};
    viewerKeys_.Reset();
    Form_Load();
    const bool played = rendered_;
    // A file the engine could not render still shows the window until its
    // first tick, but it was not played, however the window then closes.
    const auto noteUnplayable = [&] {
        if (!played)
            outcome_ = {ShowingEnd::NotPlayable, std::nullopt, std::nullopt};
    };
    if (!loaded_) {
        noteUnplayable();
        return played;
    }

    showing_ = true;
    const bool kept = ShowAndWait([this] { return !loaded_; });
    if (!kept)
        return played;
    showing_ = false;
    // The application may end every loop at once when it quits.
    Unload();
    noteUnplayable();
    return played;
}

void Vidrolle_2ndM::Unload()
{
    if (!loaded_)
        return;
    loaded_ = false;
    Timer1.stop();
    seekTick_.stop();
    Form_Unload();
    hide();
    StopTakingKeys();
    EndWait();
}

std::optional<double> Vidrolle_2ndM::ReachedPosition() const
{
    return engine_ ? engine_->CurrentPosition() : std::nullopt;
}

std::optional<double> Vidrolle_2ndM::KnownLength() const
{
    return engine_ ? engine_->Duration() : std::nullopt;
}

void Vidrolle_2ndM::Form_Unload()
{
    CleanUp();
}

void Vidrolle_2ndM::CleanUp()
{
    // Releasing the engine is what ends playback.
    engine_.reset();
}

// --- loading ---------------------------------------------------------------------------

void Vidrolle_2ndM::ResetControls()
{
    // Each showing starts from the design texts and the slider's design
    // values; sizes are set afresh by LoadFile.
    SetMessage(QStringLiteral("Loading..."));
    Pos_Time->setText(kZeroTime);
    Total_Time->setText(kZeroTime);
    Rem_Time->setText(kZeroTime);
    H1->UserControl_ReadProperties(SliderDesign());
    H1->UserControl_Resize();
    ResetTickState();
    ImgExit->setPixmap(QPixmap::fromImage(pictures_.released));
    ImgExit->resize(pictures_.released.size());
}

void Vidrolle_2ndM::Form_Load()
{
    ResetControls();
    loaded_ = true;
    displayPressed_ = false;
    SetPaused(false);

    // Built outside the visible screen, then placed once its size is known.
    const platform::ScreenMetrics screen = platform::Screen();
    MoveTwips(screen.WidthTwips(), screen.HeightTwips());
    SetMessage(PlayingCaption());
    LoadFile();

    if (state_.SizeMode == 2) {
        MoveTwips(0, 0);
    } else if (shrunkToScreen_) {
        // Made smaller to fit: placed within the part of the screen the
        // desktop's panels leave free.
        const platform::ScreenMetrics metrics = platform::Screen();
        const QPoint corner = screen_fit::PlaceIn(metrics.Available(), size());
        MoveTwips((corner.x() - metrics.left) * metrics.twipsPerPixelX, (corner.y() - metrics.top) * metrics.twipsPerPixelY);
    } else {
        const TwipsPoint corner = PlacementOf(platform::Screen(), widthTwips_, heightTwips_);
        MoveTwips(static_cast<double>(corner.left), static_cast<double>(corner.top));
    }
    platform::SetDefaultPointer();
    // The first tick comes only after the load has finished.
    if (loaded_)
        Timer1.start();
}

void Vidrolle_2ndM::LoadFile()
{
    MediaPath = state_.CurrentFile;
    CleanUp();
    duration_.reset();
    if (engineFactory_)
        engine_ = engineFactory_(Display);
    platform::MediaEngine* engine = engine_.get();

    rendered_ = false;
    if (engine) {
        rendered_ = engine->RenderFile(MediaPath);
        engine->AttachVideo();
        viewerKeys_.ApplyTo(engine->Controls());
    }
    SizePicture();
    shrunkToScreen_ = state_.SizeMode != 2 && FitPictureOnScreen();
    if (engine) {
        // A file without a picture fails both reads and keeps the last size.
        if (auto width = engine->VideoWidth())
            VideoWidth = *width;
        if (auto height = engine->VideoHeight())
            VideoHeight = *height;
    }

    const platform::ScreenMetrics screen = platform::Screen();
    SizeTwips(VideoWidth * screen.twipsPerPixelX,
              (static_cast<double>(VideoHeight) + kChromeHeight) * screen.twipsPerPixelY);

    const auto perPixelX = static_cast<int64_t>(platform::RoundHalfEven(screen.twipsPerPixelX));
    if (perPixelX != 0) {
        const auto stripWidth =
            static_cast<int>(static_cast<int64_t>(platform::RoundHalfEven(widthTwips_)) / perPixelX);
        Image1->resize(stripWidth, kTitleHeight);
        ImgExit->move(stripWidth - 20, ImgExit->y());
        Pic_B->resize(stripWidth, kPanelHeight);
    }
    if (engine) {
        if (auto width = engine->VideoWidth())
            Display->resize(*width, Display->height());
        if (auto height = engine->VideoHeight())
            Display->resize(Display->width(), *height);
    }
    Pic_B->move(Pic_B->x(), Display->y() + Display->height());
    H1->resize(Pic_B->width(), H1->height());
    if (!H1->isVisible())
        H1->UserControl_Resize();

    CorrectAspect();
    SetDuration();
    // The slider was laid out again; the first tick places its thumb.
    sliderMoved_ = true;
    if (engine) {
        if (state_.StartAt > 0) {
            // A resumed showing goes to its place while still paused, so
            // that the first picture and sound are from there.
            engine->SetCurrentPosition(state_.StartAt);
            engine->Run();
        } else {
            engine->Run();
            engine->SetCurrentPosition(0);
        }
    }
}

void Vidrolle_2ndM::SizePicture()
{
    platform::MediaEngine* engine = engine_.get();
    if (!engine)
        return;
    switch (state_.SizeMode) {
    case 1:
        if (auto width = engine->VideoWidth())
            if (auto magnified = MagnifiedLength(*width, state_.Magnification))
                engine->SetVideoWidth(*magnified);
        if (auto height = engine->VideoHeight())
            if (auto magnified = MagnifiedLength(*height, state_.Magnification))
                engine->SetVideoHeight(*magnified);
        break;
    case 2:
        if (auto size = FullScreenPictureSize(platform::Screen())) {
            engine->SetVideoWidth(size->width);
            engine->SetVideoHeight(size->height);
        }
        break;
    default:
        break;
    }
}

bool Vidrolle_2ndM::FitPictureOnScreen()
{
    platform::MediaEngine* engine = engine_.get();
    if (!engine)
        return false;
    const std::optional<int> width = engine->VideoWidth();
    const std::optional<int> height = engine->VideoHeight();
    if (!width || !height)
        return false;
    const QSize picture(*width, *height);
    const QSize fitted = screen_fit::FitOnScreen(picture, kChromeHeight, platform::Screen().Available().size());
    if (fitted == picture)
        return false;
    engine->SetVideoWidth(fitted.width());
    engine->SetVideoHeight(fitted.height());
    return true;
}

void Vidrolle_2ndM::SetDuration()
{
    platform::MediaEngine* engine = engine_.get();
    if (!engine)
        return;
    const std::optional<double> duration = engine->Duration();
    if (!duration)
        return;
    // A duration that rounds to 0 is refused by the slider with its own
    // message, and the slider keeps its design maximum.
    if (auto max = WholeSeconds(*duration))
        H1->SetMax(*max);
    if (auto small = WholeSeconds(*duration / 50))
        H1->SetSmallChange(*small);
    if (auto step = WholeSeconds(*duration / 20))
        SeekStep = *step;
    Total_Time->setText(FormatPlayTime(*duration));
}

void Vidrolle_2ndM::CorrectAspect()
{
    const QRect fit = FitPicture(Display->width(), Display->height(), VideoWidth, VideoHeight);
    if (engine_)
        engine_->SetWindowPosition(fit.left(), fit.top(), fit.width(), fit.height());
}

void Vidrolle_2ndM::MoveTwips(double left, double top)
{
    leftTwips_ = left;
    topTwips_ = top;
    // Twips count from the corner of the screen the window opens on.
    const platform::ScreenMetrics screen = platform::Screen();
    move(screen.left + platform::TwipsToPixelsX(left), screen.top + platform::TwipsToPixelsY(top));
}

void Vidrolle_2ndM::SizeTwips(double width, double height)
{
    widthTwips_ = width;
    heightTwips_ = height;
    resize(std::max(0, platform::TwipsToPixelsX(width)), std::max(0, platform::TwipsToPixelsY(height)));
}

QString Vidrolle_2ndM::Caption() const
{
    return lbl_msg->text();
}

void Vidrolle_2ndM::SetMessage(const QString& text)
{
    lbl_msg->setText(text);
    lbl_msg->adjustSize();
    lbl_msg->raise();
}

// --- events -------------------------------------------------------------------------------------

bool Vidrolle_2ndM::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (watched == ImgExit) {
            ImgExit_MouseDown();
            return true;
        }
        if (watched == Display && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            displayPressed_ = true;
        break;
    case QEvent::MouseButtonRelease:
        if (watched == ImgExit) {
            ImgExit_MouseUp();
            return true;
        }
        if (watched == Display) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = displayPressed_ && mouse->button() == Qt::LeftButton &&
                               Display->rect().contains(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton)
                displayPressed_ = false;
            if (click) {
                Display_Click();
                return true;
            }
        }
        break;
    default:
        break;
    }
    // The keys and the wheel.
    return PlayerWindow::eventFilter(watched, event);
}

void Vidrolle_2ndM::closeEvent(QCloseEvent* event)
{
    // Closed from outside (the window manager): the user wants to stop, as
    // with the exit image.
    if (loaded_) {
        state_.StopRequested = kTrue;
        NoteEnd(ShowingEnd::Stopped);
        Unload();
    }
    event->accept();
}
