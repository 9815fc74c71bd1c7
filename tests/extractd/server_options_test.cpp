// Command-line options and the request headers the server honours.
#include "extractd/request_headers.h"
#include "extractd/server_options.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ServerOptions, Defaults)
{
    TServerOptions options = ParseServerOptions({});
    EXPECT_EQ(options.Host, "127.0.0.1");
    EXPECT_EQ(options.Port, 9998);
    EXPECT_EQ(options.TimeoutMs, 25000u);
    EXPECT_EQ(options.MaxMemoryMb, 1024u);
    EXPECT_GE(options.Workers, 1u);
}

TEST(ServerOptions, ValuesInBothForms)
{
    TServerOptions options =
        ParseServerOptions({"--port", "0", "--workers=3", "--timeout-ms", "500", "--max-memory-mb=64"});
    EXPECT_EQ(options.Port, 0);
    EXPECT_EQ(options.Workers, 3u);
    EXPECT_EQ(options.TimeoutMs, 500u);
    EXPECT_EQ(options.MaxMemoryMb, 64u);
}

TEST(ServerOptions, BadValuesAreRefused)
{
    EXPECT_THROW(ParseServerOptions({"--port", "70000"}), std::invalid_argument);
    EXPECT_THROW(ParseServerOptions({"--port"}), std::invalid_argument);
    EXPECT_THROW(ParseServerOptions({"--workers", "x"}), std::invalid_argument);
    EXPECT_THROW(ParseServerOptions({"--bogus"}), std::invalid_argument);
}

TEST(ServerOptions, RemoteAddressesNeedAllowRemote)
{
    EXPECT_THROW(ParseServerOptions({"--host", "0.0.0.0"}), std::invalid_argument);
    EXPECT_THROW(ParseServerOptions({"--host", "192.168.1.5"}), std::invalid_argument);
    EXPECT_NO_THROW(ParseServerOptions({"--host", "0.0.0.0", "--allow-remote"}));
    EXPECT_NO_THROW(ParseServerOptions({"--host", "127.0.0.2"}));
    EXPECT_NO_THROW(ParseServerOptions({"--host", "localhost"}));
    EXPECT_NO_THROW(ParseServerOptions({"--host", "::1"}));
}

TEST(RequestHeaders, FileNameFromContentDisposition)
{
    EXPECT_EQ(RequestFileName("attachment; filename=\"report.docx\""), "report.docx");
    EXPECT_EQ(RequestFileName("attachment; filename=a.txt"), "a.txt");
    EXPECT_EQ(RequestFileName("attachment; filename*=UTF-8''r%C3%A9sum%C3%A9.pdf"), "résumé.pdf");
    EXPECT_EQ(RequestFileName("attachment; filename=\"/etc/x/../notes.txt\""), "notes.txt");
    EXPECT_EQ(RequestFileName(""), "");
}

TEST(RequestHeaders, PasswordPlainOrBase64)
{
    EXPECT_EQ(RequestPassword("tika", ""), "tika");
    EXPECT_EQ(RequestPassword("", "ICAgIA=="), "    ");
    EXPECT_EQ(RequestPassword("plain", "4oKs"), "€");
    EXPECT_EQ(RequestPassword("plain", "not*base64"), "plain");
    std::string out;
    EXPECT_TRUE(DecodeBase64("aGVsbG8", out));
    EXPECT_EQ(out, "hello");
}
