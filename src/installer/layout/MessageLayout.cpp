#include "installer/layout/MessageLayout.h"

#include <algorithm>
#include <cstdlib>

namespace kavrix {

int MulDiv(int number, int numerator, int denominator) noexcept {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const int64_t half = std::llabs(denominator) / 2;
  // Rounded on the magnitudes, so halves go away from zero whatever the signs.
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

MessageLayout LayoutMessage(const MessageLayoutInput& input) {
  MessageLayout layout;
  const int w = input.averageCharWidth;
  const int h = input.charHeight;
  layout.horizontalMargin = MulDiv(8, w, 4);
  layout.verticalMargin = MulDiv(8, h, 8);
  layout.horizontalSpacing = MulDiv(10, w, 4);
  layout.verticalSpacing = MulDiv(10, h, 8);
  layout.buttonWidth = MulDiv(50, w, 4);
  layout.buttonHeight = MulDiv(14, h, 8);
  layout.buttonSpacing = MulDiv(4, w, 4);

  int blockWidth = input.textWidth;
  int blockHeight = input.textHeight;
  if (input.hasPicture) {
    blockWidth += layout.horizontalSpacing + input.pictureSize;
    blockHeight = std::max(blockHeight, input.pictureSize);
  }
  int count = 0;
  for (int kind = 0; kind < kMsgDlgButtonKinds; ++kind) count += Contains(input.buttons, TMsgDlgBtn(kind));
  const int rowWidth = count == 0 ? 0 : count * layout.buttonWidth + (count - 1) * layout.buttonSpacing;

  layout.clientWidth = std::max(blockWidth, rowWidth) + 2 * layout.horizontalMargin;
  layout.clientHeight = blockHeight + layout.buttonHeight + layout.verticalSpacing + 2 * layout.verticalMargin;
  layout.left = input.screenWidth / 2 - (layout.clientWidth + input.frameWidth) / 2;
  layout.top = input.screenHeight / 2 - (layout.clientHeight + input.frameHeight) / 2;

  if (input.hasPicture) {
    layout.picture = MessageRect{layout.horizontalMargin, layout.verticalMargin, input.pictureSize, input.pictureSize};
  }
  layout.text = {blockWidth - input.textWidth + layout.horizontalMargin, layout.verticalMargin, input.textWidth,
                 input.textHeight};

  int x = (layout.clientWidth - rowWidth) / 2;
  const int y = blockHeight + layout.verticalMargin + layout.verticalSpacing;
  for (int kind = 0; kind < kMsgDlgButtonKinds; ++kind) {
    if (!Contains(input.buttons, TMsgDlgBtn(kind))) continue;
    layout.buttonRow.push_back({TMsgDlgBtn(kind), {x, y, layout.buttonWidth, layout.buttonHeight}});
    x += layout.buttonWidth + layout.buttonSpacing;
  }
  return layout;
}

namespace {

std::optional<TMsgDlgBtn> FirstOf(TMsgDlgButtons buttons, std::initializer_list<TMsgDlgBtn> preference) noexcept {
  for (TMsgDlgBtn kind : preference) {
    if (Contains(buttons, kind)) return kind;
  }
  return std::nullopt;
}

}  // namespace

std::optional<TMsgDlgBtn> DefaultButton(TMsgDlgButtons buttons) noexcept {
  return FirstOf(buttons, {mbOK, mbYes, mbRetry});
}

std::optional<TMsgDlgBtn> CancelButton(TMsgDlgButtons buttons) noexcept {
  return FirstOf(buttons, {mbCancel, mbNo, mbOK});
}

}  // namespace kavrix
