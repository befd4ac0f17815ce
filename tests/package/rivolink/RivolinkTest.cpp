// The tuner access library with real second processes (tunerpeer.exe)
// competing with the test process for the one tuner.
#include "Rivolink.h"
#include "Switches.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string OwnerName = "EPGデータ管理プログラム";
// The trail byte of 表 is a backslash (0x5C); a cut must not split it off.
const std::string ViewerName = "表示テレビ";

// How a log line of this process and thread begins.
std::string LinePrefix(DWORD processId, DWORD threadId = GetCurrentThreadId()) {
    return std::to_string(processId) + " " + std::to_string(threadId) + " ";
}

struct Reply {
    int result = -1;
    DWORD granted = 99;
    HANDLE handle = nullptr;
    std::string name;
};

// Asks for the tuner as the program does: kind 6, request level 1.
Reply AskForTuner(DWORD nameSize = 64) {
    Reply reply;
    char name[256];
    reply.result = RVL_OpenResource(&reply.granted, &reply.handle, RvlResourceTunerVbi,
                                    OwnerName.c_str(), 1, name, nameSize);
    reply.name = name;
    return reply;
}

// A callback that records what it got and always yields.
struct Recorder {
    std::vector<DWORD> events;
    std::vector<DWORD> threads;
    UINT_PTR registeredHandle = 0;
    std::string requestName;
    DWORD requestLevel = 0;
    bool closeOnYield = true;
    HANDLE resource = nullptr;
    int closeResult = -1;
};

int __stdcall Record(DWORD eventCode, UINT_PTR argument, UINT_PTR context) {
    Recorder &recorder = *reinterpret_cast<Recorder *>(context);
    recorder.events.push_back(eventCode);
    recorder.threads.push_back(GetCurrentThreadId());
    if (eventCode == RvlEventRegistered)
        recorder.registeredHandle = argument;
    if (eventCode == RvlEventRequest) {
        TunerRequest &request = *reinterpret_cast<TunerRequest *>(argument);
        recorder.requestName = request.programName;
        recorder.requestLevel = request.requestLevel;
        if (recorder.closeOnYield)
            recorder.closeResult = RVL_CloseResource(recorder.resource);
        request.answer = 1;
    }
    return 0;
}

// A thread of the test process that registers, takes the tuner and reads
// its messages until told to stop.
struct HolderThread {
    Recorder recorder;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE callbackHandle = nullptr;
    size_t eventsBeforeReading = 99;
    DWORD granted = 0;

    void Start() { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    void Finish() {
        SetEvent(stop);
        WaitForSingleObject(thread, 10000);
    }
    ~HolderThread() {
        Finish();
        CloseHandle(thread);
        CloseHandle(ready);
        CloseHandle(stop);
    }
    static void ReadMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    static DWORD WINAPI Run(void *parameter) {
        HolderThread &self = *static_cast<HolderThread *>(parameter);
        self.threadId = GetCurrentThreadId();
        if (RVL_OpenEx(Record, RvlOpenNotify, &self.callbackHandle, &self.recorder) == RvlOk) {
            self.eventsBeforeReading = self.recorder.events.size();
            for (int i = 0; i < 100 && self.recorder.events.empty(); ++i, Sleep(10))
                ReadMessages();
            char name[64];
            RVL_OpenResource(&self.granted, &self.recorder.resource, RvlResourceTunerVbi,
                             OwnerName.c_str(), 1, name, sizeof name);
        }
        SetEvent(self.ready);
        while (MsgWaitForMultipleObjects(1, &self.stop, FALSE, INFINITE, QS_ALLINPUT) !=
               WAIT_OBJECT_0)
            ReadMessages();
        return 0;
    }
};

class TunerTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteRegistryTree(HKEY_CURRENT_USER, RivolinkKeyPath); }
    void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, RivolinkKeyPath); }
    TempFolder folder{"rivolink"};
};

TEST_F(TunerTest, FreeTunerIsGrantedAndOnlyItsHolderTunesIt) {
    DWORD signal = 99;
    EXPECT_EQ(RvlErrorNotHolder, RVL_SetChannel(1));
    EXPECT_EQ(RvlErrorNotHolder, RVL_GetSignalStatus(&signal));
    EXPECT_EQ(0u, signal);

    Reply mine = AskForTuner();
    ASSERT_EQ(RvlOk, mine.result);
    ASSERT_EQ(1u, mine.granted);
    EXPECT_NE(nullptr, mine.handle);
    EXPECT_EQ(RvlErrorArgument, RVL_SetChannel(0));
    EXPECT_EQ(RvlErrorArgument, RVL_SetChannel(13));
    EXPECT_EQ(RvlOk, RVL_GetSignalStatus(&signal));
    EXPECT_EQ(0u, signal);
    EXPECT_EQ(RvlOk, RVL_SetChannel(12));
    EXPECT_EQ(RvlOk, RVL_VBIResume());
    EXPECT_EQ(RvlOk, RVL_GetSignalStatus(&signal));
    EXPECT_EQ(RvlSignalTuned | RvlSignalVbiRunning, signal);

    // We registered no callback, so nobody can ask us: a viewer is refused by our name.
    TunerPeer refused(folder / "refused.txt", "ask Viewer 2");
    EXPECT_EQ(1, refused.Wait(10000));
    EXPECT_NE(std::string::npos, refused.Output().find("refused by " + OwnerName));

    ASSERT_EQ(RvlOk, RVL_CloseResource(mine.handle));
    EXPECT_EQ(RvlErrorNotHolder, RVL_SetChannel(3));
    TunerPeer granted(folder / "granted.txt", "ask Viewer 2");
    EXPECT_EQ(0, granted.Wait(10000));
    EXPECT_NE(std::string::npos, granted.Output().find("granted"));
    // The viewer gave the tuner back as it ended.
    EXPECT_EQ(1u, AskForTuner().granted);
}

TEST_F(TunerTest, HolderThatRefusesKeepsTheTunerAndTheAskerGetsItsName) {
    SetRegistryText(HKEY_CURRENT_USER, RivolinkKeyPath, "Log", folder / "tuner.log");
    TunerPeer holder(folder / "holder.txt", "hold " + ViewerName + " --answer no");
    ASSERT_TRUE(holder.WaitForOutput("holding"));

    Reply refused = AskForTuner();
    EXPECT_EQ(RvlOk, refused.result);
    EXPECT_EQ(0u, refused.granted);
    EXPECT_EQ(nullptr, refused.handle);
    EXPECT_EQ(ViewerName, refused.name);

    // Cut to whole characters within the size given, always terminated, nothing written beyond.
    char small[8];
    memset(small, 'x', sizeof small);
    DWORD granted = 99;
    HANDLE handle = nullptr;
    EXPECT_EQ(RvlOk, RVL_OpenResource(&granted, &handle, RvlResourceTunerVbi, OwnerName.c_str(), 1,
                                      small, 4));
    EXPECT_EQ(0u, granted);
    EXPECT_EQ("表", std::string(small));
    EXPECT_EQ("xxxx", std::string(small + 4, 4));
    memset(small, 'x', sizeof small);
    EXPECT_EQ(RvlOk, RVL_OpenResource(&granted, &handle, RvlResourceTunerVbi, OwnerName.c_str(), 1,
                                      small, 1));
    EXPECT_EQ('\0', small[0]);
    EXPECT_EQ('x', small[1]);

    EXPECT_EQ(RvlErrorNotHolder, RVL_SetChannel(1));
    std::string output = holder.Output();
    EXPECT_EQ(3u, LogLines(output, "request from " + OwnerName + " level 1, same thread").size())
        << output;
    EXPECT_EQ(3u, LogLines(output, "refused").size());

    // Both processes wrote to the one log, whole lines each. The holder's
    // callback answered on the thread that registered it.
    std::vector<std::string> lines = LogLines(ReadWholeFile(folder / "tuner.log"), "");
    std::string holderPrefix;
    int answered = 0;
    for (const std::string &line : lines) {
        if (line.find(" RVL_OpenEx mode=1 -> 0 handle=0x43") != std::string::npos)
            holderPrefix = line.substr(0, line.find(" RVL_OpenEx") + 1);
        std::string answer =
            "event 9 from \"" + OwnerName + "\" level 1 -> answer 0 reply=\"" + ViewerName + "\"";
        if (!holderPrefix.empty() && line == holderPrefix + answer)
            ++answered;
    }
    EXPECT_EQ(0u, holderPrefix.find(std::to_string(holder.Id()) + " ")) << holderPrefix;
    EXPECT_EQ(3, answered) << ReadWholeFile(folder / "tuner.log");
    std::string asked = LinePrefix(GetCurrentProcessId()) + "RVL_OpenResource kind=6 owner=\"" +
                        OwnerName + "\" level=1 -> 0 granted=0 handle=0x0 name=";
    for (const std::string &name :
         {"\"" + ViewerName + "\"", std::string("\"表\""), std::string("\"\"")})
        EXPECT_EQ(1, std::count(lines.begin(), lines.end(), asked + name)) << name;
    EXPECT_EQ(LinePrefix(GetCurrentProcessId()) + "RVL_SetChannel 1 -> 3", lines.back());
}

TEST_F(TunerTest, HolderThatYieldsClosesItsResourceAndTheAskerGetsTheTuner) {
    TunerPeer holder(folder / "holder.txt", "hold Viewer --answer yes");
    ASSERT_TRUE(holder.WaitForOutput("holding"));

    Reply mine = AskForTuner();
    ASSERT_EQ(RvlOk, mine.result);
    ASSERT_EQ(1u, mine.granted);
    EXPECT_EQ(RvlOk, RVL_SetChannel(5));
    EXPECT_EQ(0, holder.Wait(10000));
    std::string output = holder.Output();
    EXPECT_NE(std::string::npos,
              output.find("request from " + OwnerName + " level 1, same thread"));
    EXPECT_NE(std::string::npos, output.find("yielded, closed resource: 0")) << output;
    EXPECT_NE(std::string::npos, output.find("handed over"));
    // The former holder's ending leaves our tuner alone.
    EXPECT_EQ(RvlOk, RVL_SetChannel(6));
    EXPECT_EQ(RvlOk, RVL_CloseResource(mine.handle));
}

TEST_F(TunerTest, CallbacksRunOnTheRegisteringThreadOnlyWhileItReadsMessages) {
    HolderThread holder;
    holder.Start();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.ready, 10000));
    ASSERT_EQ(1u, holder.granted);
    EXPECT_EQ(0u, holder.eventsBeforeReading);

    // The test's main thread waits without reading messages; the holder's thread answers.
    TunerPeer viewer(folder / "viewer.txt", "ask Viewer 2");
    EXPECT_EQ(0, viewer.Wait(10000));
    EXPECT_NE(std::string::npos, viewer.Output().find("granted"));
    holder.Finish();

    ASSERT_EQ((std::vector<DWORD>{RvlEventRegistered, RvlEventRequest}), holder.recorder.events);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(holder.callbackHandle), holder.recorder.registeredHandle);
    EXPECT_EQ((std::vector<DWORD>{holder.threadId, holder.threadId}), holder.recorder.threads);
    EXPECT_EQ("Viewer", holder.recorder.requestName);
    EXPECT_EQ(2u, holder.recorder.requestLevel);
    EXPECT_EQ(RvlOk, holder.recorder.closeResult);
}

TEST_F(TunerTest, RegistrationEventComesOnceAndBeforeARequestThatFoundTheHolderBusy) {
    // Our request is waiting before the holder reads its first message: the
    // request is a sent message and comes out of the queue before the posted
    // registration, yet the callback must see event 7 first, and only once.
    TunerPeer holder(folder / "holder.txt", "hold Busy --answer no --busy 1000 --seconds 2");
    ASSERT_TRUE(holder.WaitForOutput("holding"));
    Reply first = AskForTuner();
    Reply second = AskForTuner();
    EXPECT_EQ(RvlOk, first.result);
    EXPECT_EQ("Busy", first.name);
    EXPECT_EQ("Busy", second.name);
    EXPECT_EQ(0, holder.Wait(10000));

    std::string output = holder.Output();
    size_t registered = output.find("event 7 handle 0x43");
    ASSERT_NE(std::string::npos, registered) << output;
    EXPECT_LT(registered, output.find("request from")) << output;
    EXPECT_EQ(1u, LogLines(output, "event 7").size()) << output;
    std::string line = output.substr(registered, output.find('\n', registered) - registered);
    EXPECT_NE(std::string::npos, line.find("same thread")) << line;
    EXPECT_EQ(2u, LogLines(output, "request from " + OwnerName + " level 1, same thread").size())
        << output;
}

TEST_F(TunerTest, StatusShowsTheHolderItsChannelAndItsRegistrationUntilItEnds) {
    {
        TunerPeer holder(folder / "holder.txt", "hold " + ViewerName + " --channel 5");
        ASSERT_TRUE(holder.WaitForOutput("event 7 handle "));
        std::string output = holder.Output();
        EXPECT_NE(std::string::npos, output.find("channel 5: 0, VBI: 0")) << output;
        size_t at = output.find("event 7 handle ") + 15;
        std::string handle = output.substr(at, output.find(',', at) - at);

        TunerPeer status(folder / "status.txt", "status");
        EXPECT_EQ(0, status.Wait(10000));
        std::string shown = status.Output();
        std::string process = "process " + std::to_string(holder.Id()) + " ";
        for (const std::string &expected :
             {std::string("tuner: held"),
              "holder: " + process + "(tunerpeer.exe) name \"" + ViewerName + "\"",
              std::string("channel: 5"), std::string("vbi: running"),
              std::string("registrations: 1"), std::string("requests: 0")})
            EXPECT_NE(std::string::npos, shown.find(expected)) << expected << "\n" << shown;
        at = shown.find("registration: " + process + "thread ");
        ASSERT_NE(std::string::npos, at) << shown;
        std::string line = shown.substr(at, shown.find('\n', at) - at);
        EXPECT_NE(std::string::npos, line.find(" handle " + handle)) << line;
        holder.Kill();
    }
    TunerPeer status(folder / "status.txt", "status");
    EXPECT_EQ(0, status.Wait(10000));
    std::string shown = status.Output();
    EXPECT_NE(std::string::npos, shown.find("tuner: free")) << shown;
    EXPECT_NE(std::string::npos, shown.find("registrations: 0")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("channel:")) << shown;
}

TEST_F(TunerTest, HolderThatYieldsWithoutClosingLosesTheTunerAnyway) {
    HolderThread holder;
    holder.recorder.closeOnYield = false;
    holder.Start();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.ready, 10000));
    ASSERT_EQ(1u, holder.granted);

    TunerPeer viewer(folder / "viewer.txt", "ask Viewer 2");
    EXPECT_EQ(0, viewer.Wait(10000));
    EXPECT_NE(std::string::npos, viewer.Output().find("granted"));
    holder.Finish();
    EXPECT_EQ(RvlErrorNotHolder, RVL_SetChannel(1));
    EXPECT_EQ(RvlErrorHandle, RVL_CloseResource(holder.recorder.resource));
}

TEST_F(TunerTest, KilledHolderFreesTheTuner) {
    {
        TunerPeer holder(folder / "holder.txt", "hold Viewer --answer no");
        ASSERT_TRUE(holder.WaitForOutput("holding"));
        EXPECT_EQ(0u, AskForTuner().granted);
        holder.Kill();
    }
    Reply mine = AskForTuner();
    EXPECT_EQ(RvlOk, mine.result);
    EXPECT_EQ(1u, mine.granted);
}

TEST_F(TunerTest, HolderThatDoesNotAnswerInTimeKeepsTheTuner) {
    TunerPeer holder(folder / "holder.txt", "hold Slow --answer late");
    ASSERT_TRUE(holder.WaitForOutput("holding"));

    SetSwitch(RivolinkKeyPath, "AnswerTimeout", 300);
    DWORD start = GetTickCount();
    Reply late = AskForTuner();
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_EQ(RvlErrorNoAnswer, late.result);
    EXPECT_EQ(0u, late.granted);
    EXPECT_EQ("Slow", late.name);

    // Its late answer finds nobody waiting; given the time, it refuses as usual.
    SetSwitch(RivolinkKeyPath, "AnswerTimeout", 8000);
    Reply refused = AskForTuner();
    EXPECT_EQ(RvlOk, refused.result);
    EXPECT_EQ(0u, refused.granted);
    EXPECT_EQ("Slow", refused.name);
}

TEST_F(TunerTest, ClosedAndOtherKindsOfHandlesAreRefusedHarmlessly) {
    Recorder recorder;
    HANDLE callbackHandle = nullptr;
    ASSERT_EQ(RvlOk, RVL_OpenEx(Record, RvlOpenNotify, &callbackHandle, &recorder));
    Reply mine = AskForTuner();
    ASSERT_EQ(1u, mine.granted);

    EXPECT_EQ(RvlErrorHandle, RVL_CloseResource(callbackHandle));
    EXPECT_EQ(RvlErrorHandle, RVL_CallBackClose(mine.handle, RvlCloseNotify));
    EXPECT_EQ(RvlErrorHandle, RVL_CloseResource(nullptr));
    EXPECT_EQ(RvlErrorHandle, RVL_CallBackClose(reinterpret_cast<HANDLE>(0x12345678), 1));
    EXPECT_EQ(RvlOk, RVL_SetChannel(2)); // still ours

    EXPECT_EQ(RvlOk, RVL_CloseResource(mine.handle));
    EXPECT_EQ(RvlErrorHandle, RVL_CloseResource(mine.handle));
    EXPECT_EQ(RvlOk, RVL_CallBackClose(callbackHandle, RvlCloseNotify));
    EXPECT_EQ(RvlErrorHandle, RVL_CallBackClose(callbackHandle, RvlCloseNotify));
    // Withdrawn before this thread read its messages: the callback is never called.
    PumpMessages(200);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(TunerTest, BadArgumentsAreRefusedAndLeaveTheTunerFree) {
    Recorder recorder;
    HANDLE callbackHandle = nullptr;
    DWORD granted = 99;
    HANDLE handle = nullptr;
    char name[64];
    EXPECT_EQ(RvlErrorArgument, RVL_OpenEx(nullptr, RvlOpenNotify, &callbackHandle, &recorder));
    EXPECT_EQ(RvlErrorArgument, RVL_OpenEx(Record, 2, &callbackHandle, &recorder));
    EXPECT_EQ(RvlErrorArgument, RVL_OpenEx(Record, RvlOpenNotify, nullptr, &recorder));
    EXPECT_EQ(RvlErrorArgument, RVL_OpenResource(nullptr, &handle, 6, "x", 1, name, 64));
    EXPECT_EQ(RvlErrorArgument, RVL_OpenResource(&granted, &handle, 8, "x", 1, name, 64));
    EXPECT_EQ(RvlErrorArgument, RVL_OpenResource(&granted, &handle, 6, nullptr, 1, name, 64));
    EXPECT_EQ(RvlErrorArgument, RVL_OpenResource(&granted, &handle, 6, "x", 1, name, 0));
    EXPECT_EQ(RvlErrorArgument, RVL_GetSignalStatus(nullptr));
    PumpMessages(100);
    EXPECT_TRUE(recorder.events.empty());

    ASSERT_EQ(RvlOk, RVL_OpenEx(Record, RvlOpenNotify, &callbackHandle, &recorder));
    EXPECT_EQ(RvlErrorArgument, RVL_CallBackClose(callbackHandle, 2));
    PumpMessages(200);
    EXPECT_EQ(std::vector<DWORD>{RvlEventRegistered}, recorder.events);
    EXPECT_EQ(1u, AskForTuner().granted);
}

TEST_F(TunerTest, EachFaultSwitchFailsItsCall) {
    Recorder recorder;
    HANDLE callbackHandle = reinterpret_cast<HANDLE>(1);
    SetSwitch(RivolinkKeyPath, "FailOpenEx", 1);
    EXPECT_EQ(RvlErrorInjected, RVL_OpenEx(Record, RvlOpenNotify, &callbackHandle, &recorder));
    EXPECT_EQ(nullptr, callbackHandle);
    SetSwitch(RivolinkKeyPath, "FailOpenEx", 0);
    EXPECT_EQ(RvlOk, RVL_OpenEx(Record, RvlOpenNotify, &callbackHandle, &recorder));
    PumpMessages(200);
    EXPECT_EQ(std::vector<DWORD>{RvlEventRegistered}, recorder.events);

    SetSwitch(RivolinkKeyPath, "FailOpenResource", 1);
    Reply failed = AskForTuner();
    EXPECT_EQ(RvlErrorInjected, failed.result);
    EXPECT_EQ(0u, failed.granted);
    EXPECT_EQ(nullptr, failed.handle);
    SetSwitch(RivolinkKeyPath, "FailOpenResource", 0);
    Reply mine = AskForTuner();
    ASSERT_EQ(1u, mine.granted);

    SetSwitch(RivolinkKeyPath, "FailSetChannel", 1);
    EXPECT_EQ(RvlErrorInjected, RVL_SetChannel(4));
    DWORD signal = 99;
    EXPECT_EQ(RvlOk, RVL_GetSignalStatus(&signal));
    EXPECT_EQ(0u, signal & RvlSignalTuned);
    DeleteRegistryTree(HKEY_CURRENT_USER, RivolinkKeyPath);
    EXPECT_EQ(RvlOk, RVL_SetChannel(4));
}

} // namespace
