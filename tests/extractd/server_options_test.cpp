// Command-line options and the request headers the server honours.
#include "extractd/http_connection.h"
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
    EXPECT_EQ(options.MaxBodyMb, 1024u);
    EXPECT_EQ(options.HeaderTimeoutMs, 10000u);
    EXPECT_EQ(options.MinBodyRateKib, 64u);
    EXPECT_EQ(options.IdleTimeoutMs, 5000u);
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
    options = ParseServerOptions({"--max-body-mb", "2", "--header-timeout-ms=300", "--min-body-rate-kib", "8",
                                  "--idle-timeout-ms", "400"});
    EXPECT_EQ(options.MaxBodyMb, 2u);
    EXPECT_EQ(options.HeaderTimeoutMs, 300u);
    EXPECT_EQ(options.MinBodyRateKib, 8u);
    EXPECT_EQ(options.IdleTimeoutMs, 400u);
    EXPECT_EQ(options.ReadyFd, -1);
    EXPECT_EQ(options.ParentFd, -1);
    options = ParseServerOptions({"--ready-fd", "3", "--parent-fd=4"});
    EXPECT_EQ(options.ReadyFd, 3);
    EXPECT_EQ(options.ParentFd, 4);
    EXPECT_THROW(ParseServerOptions({"--max-body-mb", "0"}), std::invalid_argument);
    EXPECT_THROW(ParseServerOptions({"--ready-fd", "1"}), std::invalid_argument);
}

TEST(RequestHead, FramingEncodingAndLimit)
{
    struct TCase
    {
        const char *Headers;
        int Status;
        bool Chunked;
        std::uint64_t Length;
    };
    const TCase cases[] = {
        {"", 0, false, 0},
        {"Content-Length: 10\r\n", 0, false, 10},
        {"Content-Length: 10\r\ncontent-length: 10\r\n", 0, false, 10},
        {"Content-Length: 10\r\nContent-Length: 11\r\n", 400, false, 0},
        {"Content-Length: -1\r\n", 400, false, 0},
        {"Content-Length: 1e3\r\n", 400, false, 0},
        {"Transfer-Encoding: chunked\r\n", 0, true, 0},
        {"Transfer-Encoding: Chunked\r\nContent-Length: 4\r\n", 400, false, 0},
        {"Transfer-Encoding: gzip, chunked\r\n", 501, false, 0},
        {"Transfer-Encoding: chunked, gzip\r\n", 400, false, 0},
        {"Content-Encoding: gzip\r\nContent-Length: 4\r\n", 415, false, 0},
        {"Content-Encoding: identity\r\nContent-Length: 4\r\n", 0, false, 4},
        {"Content-Encoding: br\r\n", 0, false, 0}, // no body
        {"Content-Length: 1001\r\n", 413, false, 0},
        {"Content-Length : 4\r\n", 400, false, 0},
        {"X-A: 1\r\n folded\r\n", 400, false, 0},
    };
    for (const TCase &test : cases) {
        std::string head = std::string("PUT /tika HTTP/1.1\r\nHost: h\r\n") + test.Headers + "\r\n";
        THeadCheck check = CheckRequestHead(head, 1000);
        EXPECT_EQ(check.Status, test.Status) << test.Headers;
        EXPECT_EQ(check.Method, "PUT");
        if (test.Status == 0) {
            EXPECT_EQ(check.Chunked, test.Chunked) << test.Headers;
            EXPECT_EQ(check.ContentLength, test.Length) << test.Headers;
        }
    }
    EXPECT_EQ(CheckRequestHead("nonsense\r\n\r\n", 1000).Status, 400);
    EXPECT_TRUE(CheckRequestHead("GET / HTTP/1.0\r\n\r\n", 1000).Close);
    EXPECT_FALSE(CheckRequestHead("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", 1000).Close);
    EXPECT_TRUE(CheckRequestHead("GET / HTTP/1.1\r\nConnection: TE, close\r\n\r\n", 1000).Close);
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
