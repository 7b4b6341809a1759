#pragma once
// Names and web addresses that the program shows or opens. Kept here, in one place, so that a
// rebranded or relocated build changes only this file.

namespace config {

// The product: window captions, the tray tooltip, the registry key and the start-with-Windows value.
inline constexpr const char productName[] = "Spindrel";
// The registered message that asks the program to exit as its Settings menu's "&Exit" does: what
// the setup sends, since Windows keeps its WM_COMMAND from a copy restarted as administrator.
inline constexpr const char exitRequestMessage[] = "Spindrel.ExitRequest";
// The peer-to-peer client the program runs beside: button and menu texts, its registry key and exe.
inline constexpr const char clientName[] = "Tarvo";

// The client's home page: the error dialog's link, its tooltip and the address shown below it.
inline constexpr const char clientHomePage[] = "https://www.tarvo.net/";

// The Settings menu's web pages, by command.
inline constexpr const char tipsPage[] = "https://www.spindrel.net/p2p-security-tips.html";        // 32793
inline constexpr const char helpPage[] = "https://www.spindrel.net/help.html";                     // 32794
inline constexpr const char fileSharingPage[] = "https://www.spindrel.net/file-sharing.html";      // 32795
inline constexpr const char torrentsPage[] = "https://www.spindrel.net/anonymous-torrents.html";   // 32796
inline constexpr const char eMusicPage[] = "https://www.emusic.com/";                              // 32797
inline constexpr const char mediaPage[] = "https://www.spindrel.net/music-games-photos.html";      // 32798

} // namespace config
