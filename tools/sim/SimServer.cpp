#include "tools/sim/SimServer.h"

#include "tools/sim/FaultPlans.h"
#include "tools/sim/ItemChecker.h"

#include <algorithm>
#include <cstdio>
#include <poll.h>

namespace fwut::sim {

namespace {

// The line is looked at at least this often, so that the line settings
// sampled with arriving bytes are the ones they were sent with.
constexpr Millis kPollPeriod = 1;
// Longer than any write of the program may wait for the line (5 s) plus its
// wait for the page's answer (3 s), so that the program has given up and
// closed the port when the line takes bytes again.
constexpr Millis kStallLength = 10'000;

}  // namespace

SimServer::SimServer(const SimOptions& options, Transcript& transcript)
    : m_options(options), m_transcript(transcript), m_start(std::chrono::steady_clock::now()), m_wire(options.throttle),
      m_parser([this](const RxItem& item) { OnItem(item); }, options.quietGap, options.stallTolerance),
      m_random(options.randomFaultsSeed.value_or(0))
{
}

int SimServer::Run(const volatile std::sig_atomic_t& stopRequested)
{
    if (!SetUp()) {
        return 2;
    }
    StartSession();
    while (!m_finished && stopRequested == 0) {
        WaitForActivity();
        Receive();
        DeliverDue();
        TransmitDue();
        EndStallWhenDue();
    }
    ShutDown();
    return m_transcript.ProtocolErrors() > 0 || m_imageWriteFailed ? 1 : 0;
}

bool SimServer::SetUp()
{
    std::string error;
    m_pty = PseudoTerminal::Open(error);
    if (m_pty) {
        m_link = DeviceLink::Create(m_options.linkPath, m_pty->SlavePath(), error);
    }
    if (!m_pty || !m_link) {
        std::fprintf(stderr, "fwut-sim: %s\n", error.c_str());
        return false;
    }
    m_lineLastEmpty = Now();  // nothing can have been written before the link existed
    m_transcript.Note(Now(), "serving " + m_options.linkPath + " -> " + m_pty->SlavePath());
    std::printf("fwut-sim: link %s -> %s\n", m_options.linkPath.c_str(), m_pty->SlavePath().c_str());
    std::fflush(stdout);
    return true;
}

void SimServer::WaitForActivity()
{
    Millis timeout = kPollPeriod;
    if (const auto due = m_wire.NextDue()) {
        timeout = std::clamp(*due - Now(), 0.0, kPollPeriod);
    }
    const auto nanoseconds = static_cast<long>(timeout * 1e6);
    const timespec wait{0, nanoseconds};
    pollfd master{m_pty->MasterFd(), POLLIN, 0};
    ppoll(&master, 1, &wait, nullptr);
}

void SimServer::Receive()
{
    std::uint8_t buffer[4096];
    while (m_pty->IsOpen()) {
        // The bytes arrived after the line was last seen empty and before
        // the read returned: stamped with the latter, with the difference as
        // slack, a pause is never judged shorter than it was, even when the
        // simulator is kept from running around the read.
        const Millis beforeRead = Now();
        const std::size_t count = m_pty->Read(buffer, sizeof buffer);
        if (count == 0) {
            m_lineLastEmpty = beforeRead;
            return;
        }
        RxByte stamp;
        stamp.time = Now();
        stamp.line = m_pty->GetLineSample();
        stamp.slack = stamp.time - m_lineLastEmpty;
        m_wire.Receive(buffer, count, stamp);
    }
}

void SimServer::DeliverDue()
{
    while (!m_finished) {
        const auto byte = m_wire.TakeDueRx(Now());
        if (!byte) {
            break;
        }
        m_parser.Push(*byte);
    }
    if (!m_finished && !m_wire.RxPending()) {
        m_parser.Idle(Now());
    }
}

void SimServer::TransmitDue()
{
    if (!m_pty->IsOpen()) {
        return;
    }
    const std::vector<std::uint8_t> bytes = m_wire.DueTx(Now());
    if (!bytes.empty()) {
        m_wire.ConsumeTx(m_pty->Write(bytes.data(), bytes.size()));
    }
}

Millis SimServer::Send(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, std::string_view what)
{
    const LineSample line = m_pty->GetLineSample();
    const Millis leaves = m_wire.ScheduleTx(at, bytes, spacing, line);
    std::string text(what);
    if (leaves - at >= 0.1) {
        text += "; the last byte leaves at " + FormatMillis(leaves) + " ms";
    }
    m_transcript.Sent(at, line, text);
    return leaves;
}

void SimServer::OnItem(const RxItem& item)
{
    if (!m_session) {
        return;
    }
    if (item.stall > 0) {
        m_transcript.Note(item.start, "a silence of " + FormatMillis(item.stall) +
                                          " ms inside the next item, taken as a stall of the machine the program "
                                          "runs on (--stall-tolerance)");
    }
    SessionStep step = m_session->OnItem(item);
    if (step == SessionStep::Restart) {
        m_session->SetEnding("abandoned: a new start began without \"<W\"");
        FinishSession();
        StartSession();
        step = m_session->OnItem(item);
    }
    if (step == SessionStep::Ended) {
        WriteImage();
        FinishSession();
        if (m_options.once) {
            m_finished = true;
        } else {
            StartSession();
        }
    } else if (step == SessionStep::Stall) {
        m_pty->SuspendProgramOutput(true);
        m_stallEnds = Now() + kStallLength;
    } else if (step == SessionStep::HangUp) {
        m_session->SetEnding("hung up (--hangup-at-page)");
        FinishSession();
        m_pty->Close();
        m_finished = true;
    }
}

void SimServer::StartSession()
{
    ModuleLine& line = *this;
    m_sessionOptions = std::make_unique<SimOptions>(m_options);
    ++m_sessionsStarted;
    if (m_options.randomFaultsSeed) {
        const auto& plans = FaultPlans();
        const FaultPlan& plan = plans[std::uniform_int_distribution<std::size_t>(0, plans.size() - 1)(m_random)];
        plan.apply(*m_sessionOptions);
        m_transcript.Note(Now(), "session " + std::to_string(m_sessionsStarted) + " plan: " + plan.name +
                                     " (expect exit " + std::to_string(plan.exitCode) + ")");
    }
    m_session = std::make_unique<UpdateSession>(m_sessionsStarted, *m_sessionOptions, m_transcript, line);
}

void SimServer::EndStallWhenDue()
{
    if (m_stallEnds && Now() >= *m_stallEnds) {
        m_pty->SuspendProgramOutput(false);
        m_transcript.Note(Now(), "the line takes bytes again");
        m_stallEnds.reset();
    }
}

void SimServer::FinishSession()
{
    m_wire.DropTx();
    if (m_session->HeardAnything()) {
        ++m_sessionsHeard;
        if (m_session->Completed()) {
            ++m_sessionsCompleted;
        }
        m_transcript.Plain(m_session->Summary());
    }
    m_session.reset();
}

// The image of a session that the program closed, complete or not, so that
// a partly flashed module can be inspected too.
void SimServer::WriteImage()
{
    const PageStore& pages = m_session->Pages();
    if (m_options.imageOutPath.empty() || pages.Empty()) {
        return;
    }
    const std::string problem = pages.WriteImage(m_options.imageOutPath);
    if (problem.empty()) {
        m_transcript.Note(Now(),
                          "image of " + CountOf(pages.Count(), "page") + " written to " + m_options.imageOutPath);
    } else {
        m_imageWriteFailed = true;
        m_transcript.Note(Now(), "cannot write the image to " + m_options.imageOutPath + ": " + problem);
    }
}

void SimServer::ShutDown()
{
    if (m_session) {
        m_session->SetEnding("unfinished when the simulator stopped");
        FinishSession();
    }
    m_link.reset();
    m_pty.reset();
    m_transcript.Plain("summary: " + CountOf(m_sessionsHeard, "session") + ", " + std::to_string(m_sessionsCompleted) +
                       " completed, " + CountOf(m_transcript.ProtocolErrors(), "protocol error"));
}

Millis SimServer::Now() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
}

}  // namespace fwut::sim
