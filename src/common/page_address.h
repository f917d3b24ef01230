#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where the browser area may take an address that a page (or the program) asks it to load. Pages
// are made from catalogues users copy, update packages and shops' price lists, any of which may be
// hostile, so the view shows only files of the catalogue and of the program, and only web and mail
// addresses are ever handed to the desktop. Decided on the address's text and on the files it
// names as they are on disk, links followed.
namespace trubkom::common {

enum class AddressUse {
  // A "file:///" address without a host, naming a regular file whose real path lies in one of the
  // folders; or inline content of the page itself ("about:blank", "about:srcdoc", "data:").
  kShow,
  // "http:", "https:" or "mailto:": the desktop's programs may open it when the user clicks it.
  kDesktop,
  // Anything else: another scheme, a host in a file address, a folder, a device, a file outside
  // the folders or reached through a link that leads out of them.
  kRefuse,
};

// address: as the engine spells it, non-ASCII bytes percent-encoded or raw UTF-8, a query or a
// fragment ignored. folders: absolute paths, each standing for its real path.
AddressUse UseOfAddress(std::string_view address, const std::vector<std::string>& folders);

// The address as it may go to the desktop: a web address as it stands; a mail address with only
// its recipients and its subject, body and cc fields (a mail program may attach the file an
// "attach" field names, or take more headers from others), CR and LF removed, written or
// percent-encoded.
std::string DesktopAddress(std::string_view address);

}  // namespace trubkom::common
