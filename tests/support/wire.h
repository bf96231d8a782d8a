// What the download server records for one request of the setup, shared by the unit and the
// end-to-end suites.
#pragma once

#include <string>

// The request as the HTTP client sends it through the proxy: the address in absolute form with the
// default port written out, and the form header after the client's own.
inline std::string ExpectedRequest(const std::string& body) {
    return "POST http://www.quorvex.com:80/download/Download.php HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Host: www.quorvex.com\r\n"
           "Content-Length: " +
           std::to_string(body.size()) +
           "\r\n"
           "User-Agent: Quorvex Orvella Setup\r\n"
           "Content-type: application/x-www-form-urlencoded\r\n"
           "\r\n" +
           body;
}
