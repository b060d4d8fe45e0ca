// The maker's web page, opened by the logo buttons of the dialog and the About box.
#pragma once

constexpr char kMakerWebPage[] = "https://www.quarn.com/";
