#pragma once
// Command identifiers of the main window's menus, tool-bar buttons and left-panel controls. A test
// drives the window by sending WM_COMMAND with these, exactly as the controls do.

namespace app::ids {

// Main menu (MainMenu1).
inline constexpr int mnuCaputure = 101;
inline constexpr int mnuRead = 102;
inline constexpr int mnuTmpRead = 103;
inline constexpr int mnuClipRead = 104;
inline constexpr int mnuWrite = 105;
inline constexpr int mnuPrint = 106;
inline constexpr int mnuExit = 107;
inline constexpr int mnuCut = 108;
inline constexpr int mnuResize = 109;
inline constexpr int mnuExtEdit = 110;
inline constexpr int mnuAdjSz = 111;
inline constexpr int mnuSetting = 112;
inline constexpr int Help1 = 113;
// Beyond the menu's original items: the picture's history, at the top of the Edit menu.
inline constexpr int mnuUndo = 114;
inline constexpr int mnuRedo = 115;
// Beyond them: capturing the screen without PrintScreen, after Capture in the File menu.
inline constexpr int mnuCaptureScreen = 116;
inline constexpr int mnuCaptureWindow = 117;
inline constexpr int mnuCaptureRegion = 118;

// Picture popup menu (PopupMenu1).
inline constexpr int smnuCaputure = 201;
inline constexpr int smnuRead = 202;
inline constexpr int smnuTmpRead = 203;
inline constexpr int smnuClipRead = 204;
inline constexpr int smnuWrite = 205;
inline constexpr int smnuPrint = 206;
inline constexpr int smnuExit = 207;
inline constexpr int smnuCut = 208;
inline constexpr int smnuExtEdit = 210;
inline constexpr int smnuAdjSz = 211;
inline constexpr int smnuSetting = 212;
inline constexpr int smnuUndo = 214;
inline constexpr int smnuRedo = 215;
inline constexpr int smnuCaptureScreen = 216;
inline constexpr int smnuCaptureWindow = 217;
inline constexpr int smnuCaptureRegion = 218;

// The system-wide hotkey of the region capture (RegisterHotKey's id).
inline constexpr int hotkeyCaptureRegion = 1;

// Tag popup menu (PopupMenu2).
inline constexpr int smnuHide = 301;
inline constexpr int smnuDraw = 302;
inline constexpr int smnuMove = 303;

// Tool bar (Panel1) and its buttons.
inline constexpr int Panel1 = 400;
inline constexpr int SpeedButton1 = 401;
inline constexpr int SpeedButton2 = 402;
inline constexpr int SpeedButton3 = 403;
inline constexpr int SpeedButton4 = 404;
inline constexpr int SpeedButton5 = 405;
inline constexpr int SpeedButton6 = 406;
inline constexpr int SpeedButton7 = 407;
inline constexpr int SpeedButton8 = 408;
inline constexpr int SpeedButton9 = 409;
inline constexpr int SpeedButton10 = 410;
inline constexpr int SpeedButton11 = 411;
inline constexpr int SpeedButton12 = 412;

// Left panel.
inline constexpr int Panel2 = 500;
inline constexpr int PageControl1 = 501;
inline constexpr int TabSheet1 = 511;
inline constexpr int TabSheet2 = 512;
inline constexpr int TabSheet3 = 513;
inline constexpr int TabSheet4 = 514;
inline constexpr int TabSheet5 = 515;  // beyond the four pages: the mosaic
inline constexpr int Button1 = 520;
inline constexpr int Button2 = 522;
inline constexpr int Button3 = 523;
inline constexpr int Button4 = 524;
inline constexpr int Button5 = 525;
inline constexpr int Button6 = 526;
inline constexpr int Button7 = 527;
inline constexpr int Button8 = 528;
inline constexpr int Button9 = 529;
inline constexpr int Button10 = 530;
inline constexpr int Button11 = 531;
inline constexpr int Button12 = 532;
inline constexpr int Button13 = 533;
inline constexpr int Button14 = 534;
inline constexpr int Button15 = 535;
inline constexpr int Button16 = 536;
inline constexpr int Button17 = 537;
inline constexpr int Button18 = 538;
inline constexpr int Button19 = 539;
inline constexpr int Button20 = 540;
inline constexpr int Button21 = 541;
inline constexpr int GroupBox1 = 551;
inline constexpr int GroupBox2 = 552;
inline constexpr int GroupBox3 = 553;
inline constexpr int CheckBox1 = 561;
inline constexpr int ComboBox1 = 562;
inline constexpr int Label17 = 563;
inline constexpr int Panel4 = 570;
inline constexpr int UpDown2 = 571;
inline constexpr int Label9 = 572;
inline constexpr int Label10 = 573;
inline constexpr int Label11 = 574;
inline constexpr int Label12 = 575;
inline constexpr int Image11 = 581;
inline constexpr int Image12 = 582;
inline constexpr int Image13 = 583;
inline constexpr int Image14 = 584;
inline constexpr int ImagePrev = 585;
// Beyond the four pages' controls: the mosaic page, and the shape page's pen.
inline constexpr int Button22 = 542;   // the mosaic's "表示"
inline constexpr int Button23 = 543;   // "隠す"
inline constexpr int Button24 = 544;   // "埋込"
inline constexpr int Button25 = 545;   // "原点移動"
inline constexpr int Button26 = 546;   // "色" of "塗りつぶし"
inline constexpr int GroupBox4 = 554;  // the mosaic's "設定"
inline constexpr int ComboBox2 = 564;  // the mosaic's way: "ﾓｻﾞｲｸ", "塗りつぶし"
inline constexpr int ComboBox3 = 565;  // the arrow's "向き"
inline constexpr int Label18 = 566;    // "ﾌﾞﾛｯｸ"
inline constexpr int Label19 = 567;    // "太さ"
inline constexpr int Label20 = 568;    // "向き"
inline constexpr int UpDown3 = 576;    // the mosaic's block size
inline constexpr int UpDown4 = 577;    // the pen's width
inline constexpr int Edit1 = 586;      // UpDown3's number
inline constexpr int Edit2 = 587;      // UpDown4's number

// Picture area and status line.
inline constexpr int ScrollBox1 = 600;
inline constexpr int Image1 = 601;
inline constexpr int StatusBar1 = 602;
inline constexpr int ProgressBar1 = 603;  // on the status line, while a plug-in decodes

}  // namespace app::ids
