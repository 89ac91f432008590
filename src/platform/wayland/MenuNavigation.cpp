#include "platform/wayland/MenuNavigation.h"

#include <cctype>

char AccessKey(const AnsiString& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    const auto c = static_cast<unsigned char>(caption[i]);
    if (IsLeadByte(c)) {
      ++i;  // a trail byte is never a marker
      continue;
    }
    if (c != '&') continue;
    if (caption[i + 1] == '&') {  // "&&" is an ampersand
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

TMenuNavigation::TMenuNavigation(const TPopupMenu& menu) {
  for (const auto& item : menu.Items()) {
    FSeparator.push_back(item->IsSeparator());
    FKeys.push_back(item->IsSeparator() ? 0 : AccessKey(item->Caption));
  }
}

bool TMenuNavigation::Selectable(int32_t item) const {
  return item >= 0 && static_cast<size_t>(item) < FSeparator.size() && !FSeparator[static_cast<size_t>(item)];
}

void TMenuNavigation::Step(int32_t direction) {
  const auto n = static_cast<int32_t>(FSeparator.size());
  int32_t at = FHighlighted < 0 ? (direction > 0 ? -1 : n) : FHighlighted;
  for (int32_t tried = 0; tried < n; ++tried) {
    at = (at + direction + n) % n;
    if (Selectable(at)) {
      FHighlighted = at;
      return;
    }
  }
}

TMenuStep TMenuNavigation::Key(uint16_t virtualKey) {
  if (virtualKey == VK_ESCAPE) return TMenuStep{TMenuStep::Close};
  if (virtualKey == VK_UP || virtualKey == VK_DOWN) {
    Step(virtualKey == VK_DOWN ? 1 : -1);
    return {};
  }
  if (virtualKey == VK_RETURN) return Selectable(FHighlighted) ? TMenuStep{TMenuStep::Choose, FHighlighted} : TMenuStep{};
  const bool letter = (virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9');
  if (!letter) return {};
  std::vector<int32_t> matches;
  for (size_t i = 0; i < FKeys.size(); ++i) {
    if (FKeys[i] == static_cast<char>(virtualKey)) matches.push_back(static_cast<int32_t>(i));
  }
  if (matches.size() == 1) return TMenuStep{TMenuStep::Choose, matches.front()};
  for (const int32_t item : matches) {
    if (item > FHighlighted) {
      FHighlighted = item;
      return {};
    }
  }
  if (!matches.empty()) FHighlighted = matches.front();
  return {};
}

void TMenuNavigation::Hover(int32_t item) { FHighlighted = Selectable(item) ? item : -1; }

TMenuStep TMenuNavigation::Release(int32_t item) const {
  return Selectable(item) ? TMenuStep{TMenuStep::Choose, item} : TMenuStep{};
}
