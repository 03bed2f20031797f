// The maker's contact values, shown by the About dialog and at the end of
// every failure message. Each fits its field in the About dialog.
#pragma once

namespace fwut::contact {

constexpr const char* kPhone = "(608) 555-0142";
constexpr const char* kFax = "(608) 555-0143";
constexpr const char* kWebAddress = "www.fernhollow.example";
constexpr const char* kSalesEmail = "sales@fernhollow.example";
constexpr const char* kSupportEmail = "help@fernhollow.example";
constexpr const char* kOfficeHours = "Mon - Fri, 8 AM - 5 PM Central";
constexpr const char* kPostalAddress = "Fernhollow Systems\n1200 Orchard Lane\nMillbrook, WI 53597";
constexpr const char* kNoticeLine1 = "Copyright (C) 2018 Fernhollow Systems";
constexpr const char* kNoticeLine2 = "All rights reserved.";

}  // namespace fwut::contact
