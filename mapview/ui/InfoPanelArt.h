#pragma once

namespace mapview {

// The info panel's pictures by resource number (drawn by make-skin-art).
inline constexpr int kEventIconFirst = 760;  // event kinds 1-6
inline constexpr int kStatusIconRecording = 766;  // status 'R'
inline constexpr int kStatusIconLower = 767;      // status 'r'
inline constexpr int kStatusIconOther = 768;      // any other letter
inline constexpr int kGpsFixIcon = 769;
inline constexpr int kDateTimePlaceholderImage = 770;
inline constexpr int kSpeedPlaceholderImage = 771;
inline constexpr int kAxisPlaceholderFirst = 772;  // X, Y, Z
inline constexpr int kAxisButtonImage = 217;

}  // namespace mapview
