#pragma once
// The arithmetic of the animated message box: its measures derived from the dialog
// font's average character size, where the picture, the text and the button row go,
// and which buttons answer Enter and Escape. Portable, so it is tested natively.

#include <cstdint>
#include <optional>
#include <vector>

namespace kavrix {

// Button kinds in the order they are laid out from left to right; a set of them is a
// bit set with bit number = kind.
enum TMsgDlgBtn : uint8_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbHelp };
using TMsgDlgButtons = uint16_t;
inline constexpr int kMsgDlgButtonKinds = 9;

constexpr TMsgDlgButtons ButtonSet(std::initializer_list<TMsgDlgBtn> kinds) {
  TMsgDlgButtons set = 0;
  for (TMsgDlgBtn kind : kinds) set = static_cast<TMsgDlgButtons>(set | (1u << kind));
  return set;
}
constexpr bool Contains(TMsgDlgButtons set, TMsgDlgBtn kind) { return (set >> kind) & 1u; }

// Multiply, then divide rounding to the nearest integer, halves away from zero, with a
// 64-bit intermediate product; what the platform's MulDiv computes (except that it
// answers -1 for a zero divisor, as here).
int MulDiv(int number, int numerator, int denominator) noexcept;

struct MessageRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const MessageRect&, const MessageRect&) = default;
};

inline constexpr int kMessagePictureSize = 32;

struct MessageLayoutInput {
  int averageCharWidth = 0;  // the width of "A".."Z" and "a".."z" divided by 52
  int charHeight = 0;        // their height
  int textWidth = 0;         // the message as measured with word breaks, at most
  int textHeight = 0;        // half the screen wide
  bool hasPicture = false;
  int pictureSize = kMessagePictureSize;  // its side, at the display's density
  TMsgDlgButtons buttons = 0;
  int frameWidth = 0;  // what the border adds to the client size
  int frameHeight = 0;
  int screenWidth = 0;
  int screenHeight = 0;
};

struct MessageLayout {
  int horizontalMargin = 0;
  int verticalMargin = 0;
  int horizontalSpacing = 0;
  int verticalSpacing = 0;
  int buttonWidth = 0;
  int buttonHeight = 0;
  int buttonSpacing = 0;

  int clientWidth = 0;
  int clientHeight = 0;
  int left = 0;  // of the outer frame, centred on the screen
  int top = 0;
  std::optional<MessageRect> picture;
  MessageRect text;
  struct Button {
    TMsgDlgBtn kind;
    MessageRect bounds;
  };
  std::vector<Button> buttonRow;  // in kind order
};

MessageLayout LayoutMessage(const MessageLayoutInput& input);

// Enter presses OK, else Yes, else Retry; Escape presses Cancel, else No, else OK.
std::optional<TMsgDlgBtn> DefaultButton(TMsgDlgButtons buttons) noexcept;
std::optional<TMsgDlgBtn> CancelButton(TMsgDlgButtons buttons) noexcept;

}  // namespace kavrix
