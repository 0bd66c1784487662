#pragma once

#include "controls/Twips.h"

namespace frmMainLayout {

using controls::TwipsRect;

// The client area as designed; controls keep these positions when the window grows.
inline constexpr int ClientWidth = 12240;
inline constexpr int ClientHeight = 9180;

// Window level
inline constexpr TwipsRect Command1{10440, 8640, 1680, 435};
inline constexpr TwipsRect Frame1{-60, 0, 12375, 1050};
inline constexpr TwipsRect Frame2{-75, 945, 12375, 7605};

// Banner, inside Frame1
inline constexpr TwipsRect Image2{7875, 0, 6780, 1050};
inline constexpr TwipsRect Label3{315, 630, 8250, 345};
inline constexpr TwipsRect Label2{315, 405, 8250, 345};
inline constexpr TwipsRect Label1{315, 180, 5160, 345};
inline constexpr TwipsRect Image1{0, 0, 9000, 1050};

// Main panel, inside Frame2
inline constexpr TwipsRect Frame4{720, 5175, 11070, 1920};
inline constexpr TwipsRect Frame3{720, 1575, 11070, 3105};
inline constexpr TwipsRect Label4{765, 885, 2190, 300};
inline constexpr TwipsRect FXNo_TAP{2985, 855, 3900, 315};
inline constexpr TwipsRect Command4{7020, 830, 1320, 330};
inline constexpr TwipsRect Label_HALDOR{6975, 255, 5190, 285};
inline constexpr TwipsRect Label_MIRVA{7005, 518, 5160, 285};

// Member data, inside Frame3
inline constexpr TwipsRect Label5{495, 555, 2190, 300};
inline constexpr TwipsRect FXNo_Empresa{2280, 495, 1950, 315};
inline constexpr TwipsRect Label6{495, 1150, 2190, 300};
inline constexpr TwipsRect FXNome{2280, 1095, 8250, 315};
inline constexpr TwipsRect Label7{495, 1745, 2190, 300};
inline constexpr TwipsRect FXEmpresa{2280, 1695, 1950, 315};
inline constexpr TwipsRect Label8{7590, 1725, 1395, 300};
inline constexpr TwipsRect FXMIRVA_HALDOR{8580, 1710, 1950, 315};
inline constexpr TwipsRect Label10{480, 2340, 2190, 300};
inline constexpr TwipsRect FXEmail{2280, 2295, 8250, 315};

// Delivery, inside Frame4
inline constexpr TwipsRect Command2{780, 420, 2190, 390};
inline constexpr TwipsRect Label9{795, 1140, 7785, 300};
inline constexpr TwipsRect FXConvite_No{3600, 1110, 1650, 315};

// Smallest window the operator can drag it to.
inline constexpr double MinimumWidth = 4000;
inline constexpr double MinimumHeight = 2000;

} // namespace frmMainLayout
