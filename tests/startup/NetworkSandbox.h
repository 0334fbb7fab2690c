#pragma once
// Runs a piece of the program in a child process with a network of its own: veth adapters
// with chosen hardware addresses, and on its own 127.0.0.1:3306 a relay to the test
// server (which lives in the test's network), so that the machine admission check meets
// real adapters and the real server at once. What the child shows and notes comes back
// to the test; so does the way it ended (the program may end the process itself).
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sandbox {

struct Adapter {
    std::string name;  // at most 13 characters (the peer gets a "p" appended)
    std::string mac;   // 00:a0:c9:12:34:56
    bool up = true;
    enum class Ip { V4, V6, None } ip = Ip::V4;  // the address it carries
};

struct Options {
    std::vector<Adapter> adapters;  // created in this order: their interface indexes rise
    // Connections the relay lets through to the test server before it stops listening
    // (later ones are refused); -1 any number, 0 no relay (the server is unreachable).
    int serverConnections = -1;
};

struct Box {
    std::string prompt;
    int buttons = 0;
    std::string title;
};

// What the child did.
struct Outcome {
    bool exitedNormally = false;
    int exitCode = -1;
    bool bodyReturned = false;  // false: the process ended inside the body (or failed)
    std::string failure;        // set-up failure or exception from the body
    std::vector<Box> boxes;     // every message box, in order (each was answered OK)
    std::vector<std::string> notes;
    std::map<std::string, std::string> values;

    std::string Value(const std::string& key) const;
    std::vector<std::string> Prompts() const;
};

// What the body can do inside the child. Test assertions do not work there: pass what is
// to be checked back with Note and Set.
class Child {
public:
    explicit Child(int channel) : channel_(channel) {}
    void Note(const std::string& note);
    void Set(const std::string& key, const std::string& value);
    void Set(const std::string& key, bool value) { Set(key, std::string(value ? "true" : "false")); }
    void Set(const std::string& key, int value) { Set(key, std::to_string(value)); }
    // Connections between the program and the server that are open right now / ever made.
    int OpenServerConnections() const;
    int AcceptedServerConnections() const;
    // Waits until the open connections number `count` (the server side closes shortly
    // after the client); false when that did not happen within the limit.
    bool WaitForOpenServerConnections(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    // Cuts every open connection to the server, as a network failure would.
    void DropServerConnections();
    // Cuts them on the program's side only: the server's side stays open and hears
    // nothing, as when a network goes silent, until the process ends. Returns at once.
    void CutServerConnectionsSilently();

    // Used by the sandbox itself.
    void Send(char kind, const std::string& payload);

private:
    int channel_;
};

Outcome RunInSandbox(const Options& options, const std::function<void(Child&)>& body);

// Whether this test process may make network namespaces (root in its own namespace).
bool Available();

}  // namespace sandbox
