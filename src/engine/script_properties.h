#pragma once

// The accessor pairs every script object answers, one line per property index. Each list entry is
// X(index, Name, default-getter-body). The engine's object seam declares a virtual getter and
// setter from each line; the default is what an object that does not implement the property reads
// (writes to it do nothing). NAME, PARENT, PRIORITY, TAG and the entries that take an extra
// argument or are read-only are declared by hand in script_object.h.

// Plain strings (file names, texts).
#define VORN_STRING_PROPERTIES(X) \
  X(2, Source, {})                \
  X(15, FontName, {})             \
  X(50, Text, {})                 \
  X(69, ScrollSource, {})         \
  X(70, CheckSource, {})          \
  X(83, HoverSource, {})          \
  X(84, PressedSource, {})        \
  X(99, Cursor, {})               \
  X(106, MapSource, {})           \
  X(121, ThumbSource, {})         \
  X(122, ButtonSource, {})        \
  X(129, MapText, {})             \
  X(133, ClickedSource, {})

// Event labels: the label a component posts with the property's index as event code.
#define VORN_EVENT_PROPERTIES(X) \
  X(32, OnPlaying, {})           \
  X(33, OnNotify, {})            \
  X(34, OnMouseMove, {})         \
  X(35, OnMouseOut, {})          \
  X(36, OnLBtnDown, {})          \
  X(37, OnLBtnUp, {})            \
  X(38, OnRBtnDown, {})          \
  X(39, OnRBtnUp, {})            \
  X(40, OnWheelDown, {})         \
  X(41, OnWheelUp, {})           \
  X(43, OnPlayEnd, {})           \
  X(46, OnLink, {})              \
  X(72, OnSelect, {})            \
  X(74, OnOpening, {})           \
  X(75, OnOpened, {})            \
  X(76, OnClosing, {})           \
  X(77, OnClosed, {})            \
  X(101, OnPlayStart, {})        \
  X(103, OnMouseIn, {})          \
  X(104, OnMapIn, {})            \
  X(105, OnMapOut, {})           \
  X(113, OnIdle, {})             \
  X(135, OnHold, {})             \
  X(136, OnRelease, {})          \
  X(144, OnKeyDown, {})          \
  X(145, OnKeyUp, {})            \
  X(146, OnKeyRepeat, {})        \
  X(148, OnFocusIn, {})          \
  X(149, OnFocusOut, {})

// 32-bit integers.
#define VORN_INT_PROPERTIES(X)      \
  X(3, Left, 0)                     \
  X(4, Top, 0)                      \
  X(5, Width, 0)                    \
  X(6, Height, 0)                   \
  X(7, ZoomX, 256)                  \
  X(8, Color, 0xFFFFFF)             \
  X(9, BorderWidth, 0)              \
  X(10, BorderColor, -1)            \
  X(11, Alpha, 255)                 \
  X(13, OffsetX, 0)                 \
  X(14, OffsetY, 0)                 \
  X(16, FontHeight, 0)              \
  X(18, LineSpace, 0)               \
  X(19, FontColor, 0)               \
  X(20, FontLinkColor, 0)           \
  X(21, FontBorderColor, 0)         \
  X(22, FontHoverColor, 0)          \
  X(24, HoverColor, -1)             \
  X(26, Delay, 0)                   \
  X(28, Volume, 0)                  \
  X(30, Balance, 0)                 \
  X(31, Angle, 0)                   \
  X(42, Brightness, 255)            \
  X(44, Index, -1)                  \
  X(45, Count, 0)                   \
  X(48, ColCount, 0)                \
  X(49, RowCount, 0)                \
  X(51, MarginX, 0)                 \
  X(52, MarginY, 0)                 \
  X(82, TextDelay, 256)             \
  X(85, GroupIndex, 0)              \
  X(89, Power, 0)                   \
  X(90, OrigWidth, GetWidth())      \
  X(91, OrigHeight, GetHeight())    \
  X(97, TopIndex, 0)                \
  X(107, Amp, 0)                    \
  X(108, WaveLen, 0)                \
  X(109, ScrollX, 0)                \
  X(110, ScrollY, 0)                \
  X(114, DistanceX, 0)              \
  X(115, DistanceY, 0)              \
  X(116, ClipLeft, 0)               \
  X(117, ClipTop, 0)                \
  X(118, ClipWidth, 0)              \
  X(119, ClipHeight, 0)             \
  X(120, Duration, 0)               \
  X(123, Min, 0)                    \
  X(124, Max, 0)                    \
  X(125, Value, 0)                  \
  X(127, SmallChange, 1)            \
  X(128, LargeChange, 1)            \
  X(130, GlyphWidth, 0)             \
  X(131, GlyphHeight, 0)            \
  X(132, ZoomY, 256)                \
  X(141, FontShadowColor, 0)        \
  X(142, FontBorder, 0)             \
  X(143, FontShadow, 0)             \
  X(153, FontHoverBorder, 0)        \
  X(154, FontHoverBorderColor, 0)   \
  X(155, FontHoverShadow, 0)        \
  X(156, FontHoverShadowColor, 0)   \
  X(157, BarSize, 0)                \
  X(159, PlusX, 0)                  \
  X(160, PlusY, 0)

// Font styles, held as a set of four flags (TFontStyleSet).
#define VORN_STYLE_PROPERTIES(X) \
  X(17, FontStyle, {})           \
  X(23, FontHoverStyle, {})

// Bytes: the setter keeps the low 8 bits of the script's integer.
#define VORN_BYTE_PROPERTIES(X) \
  X(53, HAlign, 0)              \
  X(80, IgnoreMouse, 0)         \
  X(94, PartMotion, 1)          \
  X(126, Orientation, 0)

#define VORN_BOOL_PROPERTIES(X) \
  X(25, AntiAlias, false)       \
  X(27, Paused, false)          \
  X(29, Repeat, false)          \
  X(47, Visible, false)         \
  X(71, AutoScrap, false)       \
  X(73, RClickScrap, false)     \
  X(81, TextPaused, false)      \
  X(86, AllowAllUp, false)      \
  X(87, Selected, false)        \
  X(88, CaptureMask, false)     \
  X(98, ReadOnly, false)        \
  X(100, PosZoomed, false)      \
  X(111, FlipH, false)          \
  X(112, FlipV, false)          \
  X(134, AniPaused, false)      \
  X(137, Reverse, false)        \
  X(139, RewindOnLoad, true)    \
  X(147, HandleKey, false)      \
  X(150, Overlay, true)         \
  X(152, CaptureLink, false)    \
  X(158, MuteOnLoad, false)
