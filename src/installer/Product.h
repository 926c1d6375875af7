#pragma once
// The product-specific texts the installer's units share.

namespace kavrix {

inline constexpr char kApplicationTitle[] = "Quorvel 2.0 Kavrix";
// Appended directly to the temporary directory, which ends in a backslash.
inline constexpr char kTemporaryArchiveName[] = "setup.qv2";
inline constexpr char kInterfaceFont[] = "Tahoma";
inline constexpr int kInterfaceFontHeight = -11;

// Resources of setup.exe.
inline constexpr char kIconResource[] = "MAINICON";
inline constexpr char kLogoResource[] = "LOGO";
inline constexpr char kBannerResource[] = "BANNER";
inline constexpr char kNewFolderResource[] = "NEWFOLDER";
inline constexpr char kLicenceResource[] = "LICENCE";

}  // namespace kavrix
