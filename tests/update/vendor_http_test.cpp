// The HTTP client for the vendor's server: allowed addresses, headers, redirects, read time-out.
#include "support/vendor_test_server.h"
#include "update/vendor_http.h"

#include <gtest/gtest.h>

namespace {

TEST(VendorBaseUrl, OnlyHttpsOrLoopbackHttp)
{
    EXPECT_NO_THROW(CheckVendorBaseUrl(QStringLiteral("https://ordwell.example")));
    EXPECT_NO_THROW(CheckVendorBaseUrl(QStringLiteral("http://127.0.0.1:8080")));
    EXPECT_NO_THROW(CheckVendorBaseUrl(QStringLiteral("http://localhost:1")));
    EXPECT_NO_THROW(CheckVendorBaseUrl(QStringLiteral("http://[::1]:1")));
    EXPECT_THROW(CheckVendorBaseUrl(QStringLiteral("http://ordwell.example")), std::runtime_error);
    EXPECT_THROW(CheckVendorBaseUrl(QStringLiteral("http://127.0.0.1.evil.example")), std::runtime_error);
    EXPECT_THROW(CheckVendorBaseUrl(QStringLiteral("ftp://ordwell.example")), std::runtime_error);
    EXPECT_THROW(CheckVendorBaseUrl(QStringLiteral("file:///etc")), std::runtime_error);
    EXPECT_THROW(CheckVendorBaseUrl(QString()), std::runtime_error);
}

TEST(VendorHttp, SendsUserAgentAndReadsHeaders)
{
    TVendorTestServer server;
    std::string agent;
    server.fServer.Get("/page", [&agent](const httplib::Request &aReq, httplib::Response &aRes) {
        agent = aReq.get_header_value("User-Agent");
        aRes.set_header("X-Thing", "  value ");
        aRes.set_content("body", "text/plain");
    });
    server.Start();
    THttpClient client;
    EXPECT_EQ(client.GetBody(server.BaseUrl() + QStringLiteral("/page"), THttpOptions(), 100),
              QByteArray("body"));
    EXPECT_EQ(agent, "Mozilla/4.0 (compatible; MyApp)");
    EXPECT_EQ(client.Header("x-THING"), QByteArray("value"));
    EXPECT_EQ(client.Header("Content-Length"), QByteArray("4"));
    EXPECT_TRUE(client.Header("Missing").isEmpty());
}

TEST(VendorHttp, ErrorStatusAndOversizedBodyFail)
{
    TVendorTestServer server;
    server.fServer.Get("/big", [](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_content(std::string(5000, 'x'), "text/plain");
    });
    server.Start();
    THttpClient client;
    try {
        client.GetBody(server.BaseUrl() + QStringLiteral("/nothing"), THttpOptions(), 100);
        FAIL() << "no error for 404";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "HTTP/1.1 404 Not Found");
    }
    EXPECT_THROW(client.GetBody(server.BaseUrl() + QStringLiteral("/big"), THttpOptions(), 4999),
                 std::runtime_error);
    EXPECT_EQ(client.GetBody(server.BaseUrl() + QStringLiteral("/big"), THttpOptions(), 5000).size(), 5000);
}

TEST(VendorHttp, SilentServerEndsAtTheReadTimeout)
{
    TVendorTestServer server;
    server.fServer.Get("/silent", [&server](const httplib::Request &, httplib::Response &aRes) {
        while (!server.fRelease)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        aRes.set_content("late", "text/plain");
    });
    server.Start();
    THttpOptions options;
    options.fReadTimeoutMs = 300;
    THttpClient client;
    try {
        client.GetBody(server.BaseUrl() + QStringLiteral("/silent"), options, 100);
        FAIL() << "no time-out";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Read timed out");
    }
}

TEST(VendorHttp, RedirectToAnotherSchemeIsRefused)
{
    TVendorTestServer server;
    server.fServer.Get("/away", [](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_redirect("ftp://127.0.0.1/file");
    });
    server.Start();
    THttpOptions options;
    options.fFollowRedirects = true;
    options.fMaxRedirects = 10;
    THttpClient client;
    EXPECT_THROW(client.GetBody(server.BaseUrl() + QStringLiteral("/away"), options, 100),
                 std::runtime_error);
}

} // namespace
