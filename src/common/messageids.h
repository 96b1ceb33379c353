#pragma once

// The identifiers of the message table, spelled as the table and the
// translation store spell them.
namespace Msg {
inline constexpr char IDS_44[] = "IDS_44";
inline constexpr char IDS_45[] = "IDS_45";
inline constexpr char IDS_46[] = "IDS_46";
inline constexpr char IDS_47[] = "IDS_47";
inline constexpr char IDS_48[] = "IDS_48";
inline constexpr char IDS_49[] = "IDS_49";
inline constexpr char IDS_50[] = "IDS_50";
inline constexpr char IDS_51[] = "IDS_51";
inline constexpr char IDS_52[] = "IDS_52";
inline constexpr char IDS_53[] = "IDS_53";
inline constexpr char IDS_67[] = "IDS_67";
inline constexpr char IDS_68[] = "IDS_68";
inline constexpr char IDS_84[] = "IDS_84";
inline constexpr char IDS_85[] = "IDS_85";
inline constexpr char IDS_86[] = "IDS_86";
inline constexpr char IDS_87[] = "IDS_87";
inline constexpr char IDS_88[] = "IDS_88";
inline constexpr char IDS_89[] = "IDS_89";
inline constexpr char IDS_91[] = "IDS_91";
inline constexpr char IDS_92[] = "IDS_92";
inline constexpr char IDS_94[] = "IDS_94";
inline constexpr char IDS_97[] = "IDS_97";
inline constexpr char IDS_98[] = "IDS_98";
inline constexpr char IDS_101[] = "IDS_101";
inline constexpr char IDS_102[] = "IDS_102";
inline constexpr char IDS_111[] = "IDS_111";
inline constexpr char IDS_112[] = "IDS_112";
inline constexpr char IDS_157[] = "IDS_157";
inline constexpr char IDS_158[] = "IDS_158";
inline constexpr char IDS_159[] = "IDS_159";
inline constexpr char IDS_160[] = "IDS_160";
} // namespace Msg
