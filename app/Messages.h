#pragma once

#include "platform/WindowMessage.h"

// Every custom window message of the client, with its sub-codes. The ids are
// fixed: the service-facing tasks and the window agree on them.
namespace msg {

inline constexpr UINT UM_STARTUP = 1034;
inline constexpr WPARAM kStartupReady = 1035;
inline constexpr WPARAM kStartupDatabaseFailed = 1036;
inline constexpr WPARAM kUpdateNone = 1044;
inline constexpr WPARAM kUpdateDownloading = 1045;
inline constexpr WPARAM kUpdateProgress = 1046;
inline constexpr WPARAM kUpdateHandedOff = 1047;
inline constexpr WPARAM kUpdateFailed = 1048;

inline constexpr UINT UM_TRAYICON = 1064;
inline constexpr WPARAM kCloseFromCaption = 1;
inline constexpr WPARAM kCloseAsk = 1065;
inline constexpr WPARAM kCloseNoQuestion = 1066;

inline constexpr UINT UM_CAPTCHA = 1084;
inline constexpr WPARAM kCaptchaSaved = 1085;
inline constexpr WPARAM kCaptchaFailed = 1086;

inline constexpr UINT UM_LOGIN = 1104;

inline constexpr UINT UM_SIGNUP = 1114;
inline constexpr WPARAM kSignupRefused = 0;
inline constexpr WPARAM kSignupDone = 1119;
inline constexpr WPARAM kSignupRequestFailed = 1120;
inline constexpr UINT UM_VERIFY_NAME = 1115;
inline constexpr UINT UM_VERIFY_PHONE = 1116;
inline constexpr UINT UM_SMS_SENT = 1118;

inline constexpr UINT UM_LOGOUT = 1124;

inline constexpr UINT UM_DEVICES = 1134;
inline constexpr WPARAM kDevicesProgress = 1135;
inline constexpr WPARAM kDevicesRead = 1136;
inline constexpr WPARAM kDevicesFailed = 1137;
inline constexpr WPARAM kScreenshotUpdated = 1138;
inline constexpr WPARAM kScreenshotFailed = 1139;
inline constexpr WPARAM kGroupsLoaded = 1140;
inline constexpr WPARAM kGroupsSaved = 1141;

inline constexpr UINT UM_USERINFO = 1144;
inline constexpr WPARAM kUserInfoLoaded = 1145;
inline constexpr WPARAM kUserInfoFailed = 1146;
inline constexpr WPARAM kAvatarSaved = 1158;
inline constexpr WPARAM kAvatarFailed = 1159;

inline constexpr UINT UM_PROFILE = 1164;
inline constexpr WPARAM kPasswordRefused = 0;
inline constexpr WPARAM kProfileSaved = 1165;
inline constexpr WPARAM kProfileFailed = 1166;
inline constexpr WPARAM kPasswordChanged = 1168;

inline constexpr UINT UM_PLAY = 1174;
inline constexpr WPARAM kPlayerEnded = 1175;
inline constexpr WPARAM kPlayAddressFailed = 1176;
inline constexpr WPARAM kPlaySessionExpired = 1177;
inline constexpr WPARAM kPlayerStarting = 1180;

inline constexpr UINT UM_DEVICE_OP = 1184;
inline constexpr WPARAM kRebootDone = 1185;
inline constexpr WPARAM kRebootFailed = 1186;
inline constexpr WPARAM kResetDone = 1187;
inline constexpr WPARAM kResetFailed = 1188;

inline constexpr UINT UM_UPLOAD = 1194;
inline constexpr WPARAM kUploadBatchProgress = 1195;
inline constexpr WPARAM kUploadDone = 1196;
inline constexpr WPARAM kUploadFailed = 1197;
inline constexpr UINT UM_UPLOAD_PROGRESS = 1195;

inline constexpr UINT UM_RECHARGE_ARGS = 1204;
inline constexpr WPARAM kRechargeArgsLoaded = 1205;
inline constexpr WPARAM kRechargeArgsFailed = 1206;
inline constexpr UINT UM_BUY_LIST = 1207;
inline constexpr WPARAM kBuyListLoaded = 1208;
inline constexpr WPARAM kBuyListFailed = 1209;

inline constexpr UINT UM_RECORDS = 1224;
inline constexpr WPARAM kRecordsRead = 1225;

inline constexpr UINT UM_ORDER = 1234;
inline constexpr WPARAM kOrderPointsDone = 1235;
inline constexpr WPARAM kOrderWeChatCreated = 1236;
inline constexpr WPARAM kOrderAlipayCreated = 1237;
inline constexpr WPARAM kOrderFailed = 1238;
inline constexpr WPARAM kOrderOtherState = 0;
inline constexpr WPARAM kOrderCompleted = 1239;
inline constexpr WPARAM kOrderQueryFailed = 1240;

inline constexpr UINT UM_MESSAGES = 1244;
inline constexpr WPARAM kMessagesReady = 1245;

inline constexpr UINT UM_APPS = 1254;
inline constexpr WPARAM kAppListReady = 1256;
inline constexpr WPARAM kSubtypesReady = 1257;
inline constexpr WPARAM kAppListEmpty = 1258;
inline constexpr WPARAM kCatalogueSynced = 1259;

inline constexpr UINT UM_APP_INSTALL = 1264;
inline constexpr WPARAM kInstallStarted = 1265;
inline constexpr WPARAM kInstallFailed = 1266;

inline constexpr UINT UM_APP_UPLOAD = 1274;
inline constexpr WPARAM kAppUploadProgress = 1275;
inline constexpr WPARAM kAppUploadDone = 1276;
inline constexpr WPARAM kAppUploadFailed = 1277;

inline constexpr UINT UM_LOCAL_APPS = 1294;
inline constexpr WPARAM kLocalAppsReloaded = 1295;

// Tray menu items (menu 107) and the first id of the device-group menu.
inline constexpr UINT kMenuAutoStart = 40002;
inline constexpr UINT kMenuAutoLogin = 40003;
inline constexpr UINT kMenuHideInTray = 40004;
inline constexpr UINT kMenuQuit = 40005;
inline constexpr UINT kGroupMenuFirstId = 1025;

// Control timers.
inline constexpr int kTimerMessagePoll = 1000;
inline constexpr int kMessagePollPeriodMs = 60000;
inline constexpr int kTimerCatalogueSpinner = 3173;
inline constexpr int kTimerSmsCountdown = 84652;

} // namespace msg
