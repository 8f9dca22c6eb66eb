// Template and control identifiers.  These numbers are the dialogs' real
// control IDs: the Win32 build carries them, and test drivers find controls
// by them.
#pragma once

namespace dlg {
inline constexpr int MainWindow = 1001;
inline constexpr int ComPortSetup = 1002;
inline constexpr int FirmwareUploader = 1003;
inline constexpr int About = 1004;
inline constexpr int RttySetup = 1005;
}  // namespace dlg

// The dialog manager's own commands: Enter and Esc when no push button has the focus.
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;

// The main window (template 1001).
namespace mainwin {
inline constexpr int ExitButton = 4;
inline constexpr int MessageEdit1 = 4001;  // 4001-4006: messages 1-6 (bank 1)
inline constexpr int MessageEdit2 = 4002;
inline constexpr int MessageEdit3 = 4003;
inline constexpr int MessageEdit4 = 4004;
inline constexpr int MessageEdit5 = 4005;
inline constexpr int MessageEdit6 = 4006;
inline constexpr int MessageBank1Radio = 4007;
inline constexpr int MessageBank2Radio = 4008;
inline constexpr int SetComPortButton = 4009;
inline constexpr int FwUpdateButton = 4010;
inline constexpr int TestButton = 4011;
inline constexpr int WriteButton = 4012;
inline constexpr int ReadButton = 4013;
inline constexpr int SwapCheck = 4014;
inline constexpr int AutoSpaceCheck = 4015;
inline constexpr int CtSpaceCheck = 4016;
inline constexpr int Cut0Check = 4017;
inline constexpr int Cut9Check = 4018;
inline constexpr int PdlToneOnlyCheck = 4019;
inline constexpr int PdlWdOffCheck = 4020;
inline constexpr int PaddleMuteCheck = 4021;
inline constexpr int FastCmdCheck = 4022;
inline constexpr int Tune50Check = 4023;
inline constexpr int So2rCheck = 4024;
inline constexpr int MaxWpmEdit = 4025;
inline constexpr int MinWpmEdit = 4027;
inline constexpr int CmdWpmEdit = 4029;
inline constexpr int RatioEdit = 4031;
inline constexpr int CurWpmEdit = 4033;
inline constexpr int KeyCompEdit = 4035;
inline constexpr int PdlSampleEdit = 4037;
inline constexpr int WeightEdit = 4039;
inline constexpr int PttLeadInEdit = 4041;
inline constexpr int PttTailEdit = 4043;
inline constexpr int FarnsWpmEdit = 4045;
inline constexpr int LetterSpaceEdit = 4047;
inline constexpr int KeyerModeList = 4049;
inline constexpr int ResetDefaultsButton = 4051;
inline constexpr int OutputSelectionList = 4053;
inline constexpr int PaddleHangList = 4054;
inline constexpr int ConfigFrame = 4055;
inline constexpr int EditorFrame = 4056;
inline constexpr int SettingsFileStatus = 4057;
inline constexpr int MsgBytesLeft = 4058;
inline constexpr int OperationStatus = 4059;
inline constexpr int PotValueReading = 4060;
inline constexpr int InterfaceStatus = 4061;
inline constexpr int MessageLabel1 = 4062;  // 4062-4067: "Msg 1" ... "Msg 6"
inline constexpr int MessageLabel2 = 4063;
inline constexpr int MessageLabel3 = 4064;
inline constexpr int MessageLabel4 = 4065;
inline constexpr int MessageLabel5 = 4066;
inline constexpr int MessageLabel6 = 4067;
inline constexpr int User1Radio = 4068;
inline constexpr int User2Radio = 4069;
inline constexpr int SupplyVoltageReading = 4070;
inline constexpr int Callsign1Edit = 4071;
inline constexpr int Callsign2Edit = 4072;
inline constexpr int SidetoneFreqEdit = 4073;
inline constexpr int ComPortLabel = 4074;
inline constexpr int PbReading = 4075;
inline constexpr int OutputSelectionLabel = 4077;
inline constexpr int IcLabel = 4079;
inline constexpr int MessageEdit7 = 4080;   // 4080-4085: messages 7-12 (bank 2)
inline constexpr int MessageEdit8 = 4081;
inline constexpr int MessageEdit9 = 4082;
inline constexpr int MessageEdit10 = 4083;
inline constexpr int MessageEdit11 = 4084;
inline constexpr int MessageEdit12 = 4085;
inline constexpr int MessageLabel7 = 4086;  // 4086-4091: "Msg 7" ... "Msg 12"
inline constexpr int MessageLabel8 = 4087;
inline constexpr int MessageLabel9 = 4088;
inline constexpr int MessageLabel10 = 4089;
inline constexpr int MessageLabel11 = 4090;
inline constexpr int MessageLabel12 = 4091;
inline constexpr int ReadConfigFileButton = 4092;
inline constexpr int WriteConfigFileButton = 4093;
inline constexpr int AboutButton = 4094;
inline constexpr int SerialNumberEdit = 4096;
inline constexpr int FirstExtensionEdit = 4097;
inline constexpr int CmdWpmLabel = 4099;
inline constexpr int StVolumeEdit = 4100;
inline constexpr int FaveWpmOffCheck = 4101;
inline constexpr int RttyButton = 4103;
inline constexpr int SerialNumberLabel = 4104;
inline constexpr int MaxWpmLabel = 4107;
inline constexpr int MinWpmLabel = 4108;
inline constexpr int CurWpmLabel = 4109;
inline constexpr int RatioLabel = 4110;
inline constexpr int KeyCompLabel = 4111;
inline constexpr int PdlSampleLabel = 4112;
inline constexpr int FirstExtensionLabel = 4113;
inline constexpr int WeightLabel = 4114;
inline constexpr int PttLeadInLabel = 4115;
inline constexpr int PttTailLabel = 4116;
inline constexpr int FarnsWpmLabel = 4117;
inline constexpr int LetterSpaceLabel = 4118;
inline constexpr int StVolumeLabel = 4119;
inline constexpr int PaddleHangLabel = 4120;
inline constexpr int CallsignLabel = 4121;
inline constexpr int KeyerModeLabel = 4122;
inline constexpr int StFreqLabel = 4125;

inline constexpr int StatusTimer = 1;
}  // namespace mainwin

// The COM port selection dialog (template 1002).
namespace comport {
inline constexpr int PortList = 4026;
inline constexpr int OkButton = 1;
inline constexpr int ExitButton = 403;
}  // namespace comport

// The firmware uploader (template 1003).
namespace uploader {
inline constexpr int LoadButton = 2;  // also what Esc sends
inline constexpr int ProgramButton = 4028;
inline constexpr int ProgressBar = 4032;
inline constexpr int LogEdit = 4034;
inline constexpr int StatusLine = 4036;
inline constexpr int PathLine = 4038;
inline constexpr int ExitButton = 4040;

inline constexpr int PollTimer = 2;
}  // namespace uploader

// The about dialog (template 1004).
namespace about {
inline constexpr int VersionLine = 4030;
inline constexpr int SystemLine = 4042;
inline constexpr int HelpLine = 4096;
inline constexpr int OkButton = 1;
inline constexpr int VerboseCheck = 4048;
}  // namespace about

// The RTTY mode setup dialog (template 1005).
namespace rtty {
inline constexpr int EnableCheck = 4044;
inline constexpr int DiddleCheck = 4050;
inline constexpr int FskMapCheck = 4052;
inline constexpr int ReverseCheck = 4123;
inline constexpr int AutoCrLfCheck = 4056;
inline constexpr int BaudRateLabel = 4077;
inline constexpr int DiddleIsLabel = 4124;
inline constexpr int BaudRateList = 4076;
inline constexpr int DiddleIsList = 4078;
inline constexpr int StopBitsLabel = 4099;
inline constexpr int UsosLabel = 4104;
inline constexpr int StopBitsList = 4098;
inline constexpr int UsosList = 4102;
inline constexpr int CancelButton = 4105;
inline constexpr int OkButton = 4106;
}  // namespace rtty
