#include "agent/builtin/character_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "agent/builtin/builtin_resource_ids.h"

namespace wobbet::builtin {
namespace {

const wchar_t kCharacterClass[] = L"WobbetCharacter";
const wchar_t kBalloonClass[] = L"WobbetBalloon";
constexpr UINT_PTR kFrameTimer = 1;
// The voice's events arrive as this message.
constexpr UINT kVoiceEvent = WM_APP + 1;

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

bool RegisterClassOnce(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(Instance(), name, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = Instance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0;
}

HWND CreateLayered(const wchar_t* windowClass, const wchar_t* title, int side, DWORD exStyle) {
    return CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | exStyle, windowClass,
        title, WS_POPUP, 0, 0, side, side, nullptr, nullptr, Instance(), nullptr);
}

// Puts the image on the layered window, moving it when a position is given.
void ShowImage(HWND window, const PremultipliedImage& image, POINT* position) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof image.pixels[0]);
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        SIZE size{image.width, image.height};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(window, screen, position, &size, memory, &source, 0, &blend, ULW_ALPHA);
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

double ScreenScale() {
    HDC screen = GetDC(nullptr);
    const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dotsPerInch > 0 ? dotsPerInch / 96.0 : 1.0;
}

void SetVisible(HWND window, bool visible) {
    if ((IsWindowVisible(window) != FALSE) != visible) {
        ShowWindow(window, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
}

}  // namespace

bool CharacterWindow::SwitchedVoice::Speak(const std::wstring& text, std::uint32_t* stream) {
    return sound && voice != nullptr && voice->Speak(text, stream);
}

void CharacterWindow::SwitchedVoice::Purge() {
    if (voice != nullptr) {
        voice->Purge();
    }
}

bool CharacterWindow::SwitchedVoice::ReportsEvents() const {
    return voice != nullptr && voice->ReportsEvents();
}

std::unique_ptr<CharacterWindow> CharacterWindow::Create(std::function<void()> onPropertiesChosen) {
    if (!RegisterClassOnce(kCharacterClass, &Procedure) ||
        !RegisterClassOnce(kBalloonClass, &DefWindowProcW)) {
        return nullptr;
    }
    const int side = static_cast<int>(std::lround(kSide * ScreenScale()));
    HWND character = CreateLayered(kCharacterClass, L"Wobbet character", side, 0);
    // Clicks go through the balloon to whatever lies under it.
    HWND balloon = CreateLayered(kBalloonClass, L"", side, WS_EX_TRANSPARENT);
    if (character == nullptr || balloon == nullptr) {
        if (character != nullptr) {
            DestroyWindow(character);
        }
        if (balloon != nullptr) {
            DestroyWindow(balloon);
        }
        return nullptr;
    }
    std::unique_ptr<CharacterWindow> window(
        new CharacterWindow(character, balloon, std::move(onPropertiesChosen)));
    SetWindowLongPtrW(character, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window.get()));
    SetTimer(character, kFrameTimer, kFrameMilliseconds, nullptr);
    return window;
}

CharacterWindow::CharacterWindow(HWND character, HWND balloon,
                                 std::function<void()> onPropertiesChosen)
    : character_(character),
      balloon_(balloon),
      onPropertiesChosen_(std::move(onPropertiesChosen)),
      started_(GetTickCount()),
      scale_(ScreenScale()),
      side_(static_cast<int>(std::lround(kSide * scale_))),
      balloonPainter_(scale_),
      systemVoice_(SapiVoice::Create(character, kVoiceEvent)) {
    voice_.voice = systemVoice_.get();
    performance_ = std::make_unique<CharacterPerformance>(&voice_, Now());
}

CharacterWindow::~CharacterWindow() {
    // The voice goes first, so that it sends no more events to a window going away.
    performance_.reset();
    voice_.voice = nullptr;
    systemVoice_.reset();
    KillTimer(character_, kFrameTimer);
    SetWindowLongPtrW(character_, GWLP_USERDATA, 0);
    DestroyWindow(balloon_);
    DestroyWindow(character_);
}

Milliseconds CharacterWindow::Now() const {
    // Unsigned subtraction keeps counting across the tick count's wrap.
    return static_cast<Milliseconds>(static_cast<DWORD>(GetTickCount() - started_));
}

void CharacterWindow::MoveTo(int left, int top) {
    SetWindowPos(character_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsWindowVisible(balloon_)) {
        PlaceBalloon();
    }
}

void CharacterWindow::ApplySettings(const VoiceSettings& settings) {
    voice_.sound = settings.sound;
    if (systemVoice_ != nullptr) {
        systemVoice_->Apply(settings);
    }
}

LRESULT CALLBACK CharacterWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = reinterpret_cast<CharacterWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->OnMessage(message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CharacterWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kFrameTimer) {
                Step();
            }
            return 0;
        case kVoiceEvent:
            if (systemVoice_ != nullptr &&
                !systemVoice_->ReadEvents(
                    {[this](std::uint32_t stream, std::size_t position, std::size_t length) {
                         performance_->OnWord(stream, position, length, Now());
                     },
                     [this](std::uint32_t stream) {
                         performance_->OnSpeechEnded(stream, Now());
                     }})) {
                performance_->OnSpeechFailed(Now());
            }
            return 0;
        case WM_LBUTTONDOWN: {
            POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            dragOffset_ = cursor;
            dragging_ = true;
            SetCapture(character_);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_) {
                POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(character_, &cursor);
                MoveTo(cursor.x - dragOffset_.x, cursor.y - dragOffset_.y);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                if (message == WM_LBUTTONUP) {
                    ReleaseCapture();
                }
            }
            return 0;
        case WM_CONTEXTMENU: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            OnContextMenu(at);
            return 0;
        }
        default:
            return DefWindowProcW(character_, message, wParam, lParam);
    }
}

void CharacterWindow::Step() {
    const Milliseconds now = Now();
    performance_->Advance(now);
    const CharacterFrame frame = performance_->Frame(now);
    if (frame.visible) {
        ShowImage(character_, RenderFigure(figure::DrawFigure(frame.pose, side_), side_), nullptr);
    }
    SetVisible(character_, frame.visible);
    if (frame.balloonVisible) {
        ShowBalloon(frame.balloonText);
    }
    SetVisible(balloon_, frame.balloonVisible);
}

void CharacterWindow::ShowBalloon(const std::wstring& text) {
    if (text == balloonText_ && IsWindowVisible(balloon_)) {
        return;
    }
    balloonText_ = text;
    // Its title holds the words shown, so that they can be read like any window's text.
    SetWindowTextW(balloon_, text.c_str());
    balloonSize_ = balloonPainter_.Measure(text);
    PlaceBalloon();
}

void CharacterWindow::PlaceBalloon() {
    RECT character{};
    RECT area{};
    GetWindowRect(character_, &character);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const bool tailBelow = character.top - balloonSize_.cy >= area.top;
    const int centre = (character.left + character.right) / 2;
    POINT at{std::clamp(centre - balloonSize_.cx / 2, area.left,
                        std::max(area.left, area.right - balloonSize_.cx)),
             tailBelow ? character.top - balloonSize_.cy + 6 : character.bottom - 6};
    const int tail = balloonPainter_.Tail();
    const int tailX =
        std::clamp(static_cast<int>(centre - at.x), tail + tail / 2,
                   std::max(tail + tail / 2, static_cast<int>(balloonSize_.cx) - 2 * tail));
    ShowImage(balloon_, balloonPainter_.Render(balloonText_, balloonSize_, tailBelow, tailX), &at);
}

void CharacterWindow::OnContextMenu(POINT at) {
    HMENU menu = LoadMenuW(Instance(), MAKEINTRESOURCEW(IDR_CHARACTER_MENU));
    if (menu == nullptr) {
        return;
    }
    if (at.x == -1 && at.y == -1) {
        GetCursorPos(&at);
    }
    // The menu closes properly only when its owner is in front.
    SetForegroundWindow(character_);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, character_, nullptr));
    PostMessageW(character_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (chosen == IDM_CHARACTER_HIDE) {
        const Milliseconds now = Now();
        performance_->StopSpeaking(now);
        performance_->StopAnimations(now);
        performance_->Hide(now);
    } else if (chosen == IDM_CHARACTER_PROPERTIES) {
        onPropertiesChosen_();
    }
}

}  // namespace wobbet::builtin
