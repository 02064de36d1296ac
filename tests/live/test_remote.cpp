// The paired remote's rules without a socket: roles, the rate, repeats, the pairing lock, the
// origin check, the POST requests the server takes, and the QR code's error correction.
#include <gtest/gtest.h>

#include "live/core/http_request.h"
#include "live/core/qr_code.h"
#include "live/core/remote.h"

using namespace kyomat;

TEST(Remote, EachRoleReachesOnlyItsOwnCommands) {
    const RemoteCommand* waza = remote_command("waza_blau");
    const RemoteCommand* clock = remote_command("zeit");
    const RemoteCommand* winner = remote_command("sieger_weiss");
    ASSERT_TRUE(waza && clock && winner);
    EXPECT_EQ(waza->key.key, '2');
    EXPECT_TRUE(remote_command("-shido_weiss")->key.mods.shift);
    EXPECT_EQ(remote_command("unbekannt"), nullptr);
    EXPECT_TRUE(role_allows(RemoteRole::clock, clock->group));
    EXPECT_FALSE(role_allows(RemoteRole::clock, waza->group));
    EXPECT_FALSE(role_allows(RemoteRole::scores, clock->group));
    EXPECT_FALSE(role_allows(RemoteRole::scores, winner->group));
    for (const RemoteCommand* c : {waza, clock, winner}) {
        EXPECT_TRUE(role_allows(RemoteRole::everything, c->group));
        EXPECT_FALSE(role_allows(RemoteRole::view, c->group));
    }
    // What decides asks for a second tap; the next bout only while one is under way.
    EXPECT_TRUE(needs_second_tap(*winner, false));
    EXPECT_TRUE(needs_second_tap(*remote_command("ergebnis"), false));
    EXPECT_FALSE(needs_second_tap(*remote_command("naechster"), false));
    EXPECT_TRUE(needs_second_tap(*remote_command("naechster"), true));
    EXPECT_FALSE(needs_second_tap(*waza, true));
    EXPECT_EQ(role_of_word("uhr"), RemoteRole::clock);
    EXPECT_FALSE(role_of_word("Uhr").has_value());
}

TEST(Remote, RateRepeatsAndTheLockOfWrongCodes) {
    CommandRate rate(20);
    int taken = 0;
    for (int i = 0; i < 100; ++i) taken += rate.take(1000) ? 1 : 0;
    EXPECT_EQ(taken, 20);
    EXPECT_FALSE(rate.take(1040));
    EXPECT_TRUE(rate.take(1050));  // a twentieth of a second gives one more

    SeenCommands seen;
    EXPECT_TRUE(seen.first_time(7));
    EXPECT_FALSE(seen.first_time(7));
    for (std::uint64_t id = 100; id < 164; ++id) seen.first_time(id);
    EXPECT_TRUE(seen.first_time(7));  // long forgotten

    PairingGuard guard;
    for (int i = 0; i < 4; ++i) guard.wrong(0);
    EXPECT_EQ(guard.locked_seconds(0), 0);
    guard.right();  // a right code starts the count anew
    for (int i = 0; i < 4; ++i) guard.wrong(0);
    EXPECT_EQ(guard.locked_seconds(0), 0);
    guard.wrong(0);
    EXPECT_EQ(guard.locked_seconds(1), 60);
    EXPECT_EQ(guard.locked_seconds(60'000), 0);
}

TEST(Remote, OnlyTheServersOwnPageMaySendCommands) {
    const std::vector<std::string> own{"localhost", "192.168.1.5", "::1"};
    EXPECT_TRUE(same_origin("192.168.1.5:8080", "http://192.168.1.5:8080", own, 8080));
    EXPECT_TRUE(same_origin("192.168.1.5:8080", "", own, 8080));
    EXPECT_TRUE(same_origin("[::1]:8080", "http://[::1]:8080", own, 8080));
    EXPECT_TRUE(same_origin("LOCALHOST:8080", "http://localhost:8080", own, 8080));
    EXPECT_FALSE(same_origin("192.168.1.5:8080", "http://evil.example", own, 8080));
    EXPECT_FALSE(same_origin("192.168.1.5:8080", "null", own, 8080));
    // A name that only points here (DNS rebinding) is not one of ours.
    EXPECT_FALSE(same_origin("evil.example:8080", "http://evil.example:8080", own, 8080));
    EXPECT_FALSE(same_origin("192.168.1.5:9090", "", own, 8080));
    EXPECT_FALSE(same_origin("192.168.1.5", "", own, 8080));
    EXPECT_FALSE(same_origin("", "", own, 8080));
    EXPECT_TRUE(equal_in_constant_time("123456", "123456"));
    EXPECT_FALSE(equal_in_constant_time("123456", "123457"));
    EXPECT_FALSE(equal_in_constant_time("12345", "123456"));
}

TEST(Remote, CommandsArePostsWithABodyAndNothingElseIs) {
    const std::string body = R"({"id":1,"befehl":"zeit"})";
    const std::string head =
        "POST /steuerung/befehl HTTP/1.1\r\nHost: 10.0.0.2:80\r\n"
        "x-kyomat-token: abc\r\nOrigin: http://10.0.0.2\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n";
    // Until the whole body is there, it is read on.
    EXPECT_EQ(judge_request(head + body.substr(0, 5)).verdict, RequestVerdict::incomplete);
    const LiveRequest r = judge_request(head + body);
    ASSERT_EQ(r.verdict, RequestVerdict::complete);
    EXPECT_TRUE(r.post);
    EXPECT_EQ(r.path, LivePath::remote_command);
    EXPECT_EQ(r.token, "abc");
    EXPECT_EQ(r.host, "10.0.0.2:80");
    EXPECT_EQ(r.origin, "http://10.0.0.2");
    EXPECT_EQ((head + body).substr(r.body_start, r.body_length), body);
    // A GET of a command, a POST of a page, a body too large, two lengths that disagree.
    EXPECT_EQ(judge_request("GET /steuerung/befehl HTTP/1.1\r\n\r\n").verdict,
              RequestVerdict::method_not_allowed);
    EXPECT_EQ(judge_request("HEAD /steuerung/da HTTP/1.1\r\n\r\n").verdict,
              RequestVerdict::method_not_allowed);
    EXPECT_EQ(judge_request("POST /state.json HTTP/1.1\r\nContent-Length: 0\r\n\r\n").verdict,
              RequestVerdict::method_not_allowed);
    EXPECT_EQ(judge_request("POST /steuerung/da HTTP/1.1\r\nContent-Length: 99999\r\n\r\n").verdict,
              RequestVerdict::too_large);
    EXPECT_EQ(judge_request("POST /steuerung/da HTTP/1.1\r\nContent-Length: 2\r\n"
                            "Content-Length: 3\r\n\r\nab")
                  .verdict,
              RequestVerdict::bad_request);
    EXPECT_EQ(judge_request("POST /steuerung/da HTTP/1.1\r\nContent-Length: -1\r\n\r\n").verdict,
              RequestVerdict::bad_request);
    EXPECT_EQ(judge_request("GET /steuerung HTTP/1.1\r\n\r\n").path, LivePath::remote_page);
    // The remote's answers are for its own page: no other page may read them.
    const std::string answer = live_answer(200, "application/json", "{}", false, false);
    EXPECT_EQ(answer.find("Access-Control-Allow-Origin"), std::string::npos);
    EXPECT_NE(answer.find("X-Frame-Options: DENY"), std::string::npos);
}

TEST(QrCodeTest, ErrorCorrectionAndLayoutOfAnAddress) {
    // The error correction words of a known code (version 1-M of "HELLO WORLD").
    const std::vector<std::uint8_t> data{32, 91, 11,  120, 209, 114, 220, 77,
                                         67, 64, 236, 17,  236, 17,  236, 17};
    EXPECT_EQ(qr_error_correction(data, 10),
              (std::vector<std::uint8_t>{196, 35, 39, 119, 235, 215, 231, 226, 93, 23}));
    // An address of 37 bytes takes version 3 (29 modules); the finder's corners are dark,
    // the separator beside them light, the timing line alternates, the dark module is there.
    const QrCode q = qr_code("http://192.168.178.23:8080/steuerung");
    ASSERT_EQ(q.size, 29);
    for (const auto& [x, y] : {std::pair{0, 0}, {28, 0}, {0, 28}, {6, 6}, {22, 6}, {6, 22}}) {
        EXPECT_TRUE(q.at(x, y)) << x << "," << y;
    }
    EXPECT_FALSE(q.at(7, 0));
    EXPECT_FALSE(q.at(21, 0));
    for (int i = 8; i < 21; ++i) EXPECT_EQ(q.at(i, 6), i % 2 == 0) << i;
    EXPECT_TRUE(q.at(8, 29 - 8));
    EXPECT_EQ(qr_code(std::string(17, 'a')).size, 21);
    EXPECT_EQ(qr_code(std::string(18, 'a')).size, 25);
    EXPECT_EQ(qr_code(std::string(107, 'a')).size, 0);  // too long: no code
}
