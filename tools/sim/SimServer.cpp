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
    : m_options(options),
      m_transcript(transcript),
      m_start(std::chrono::steady_clock::now()),
      m_wire(options.throttle),
      m_parser([this](const RxItem& item) { onItem(item); }),
      m_random(options.randomFaultsSeed.value_or(0))
{
}

int SimServer::run(const volatile std::sig_atomic_t& stopRequested)
{
    if (!setUp())
        return 2;
    startSession();
    while (!m_finished && stopRequested == 0) {
        waitForActivity();
        receive();
        deliverDue();
        transmitDue();
        endStallWhenDue();
    }
    shutDown();
    return m_transcript.protocolErrors() > 0 || m_imageWriteFailed ? 1 : 0;
}

bool SimServer::setUp()
{
    std::string error;
    m_pty = PseudoTerminal::open(error);
    if (m_pty)
        m_link = DeviceLink::create(m_options.linkPath, m_pty->slavePath(), error);
    if (!m_pty || !m_link) {
        std::fprintf(stderr, "fwut-sim: %s\n", error.c_str());
        return false;
    }
    m_lineLastEmpty = now();  // nothing can have been written before the link existed
    m_transcript.note(now(), "serving " + m_options.linkPath + " -> " + m_pty->slavePath());
    std::printf("fwut-sim: link %s -> %s\n", m_options.linkPath.c_str(), m_pty->slavePath().c_str());
    std::fflush(stdout);
    return true;
}

void SimServer::waitForActivity()
{
    Millis timeout = kPollPeriod;
    if (const auto due = m_wire.nextDue())
        timeout = std::clamp(*due - now(), 0.0, kPollPeriod);
    const auto nanoseconds = static_cast<long>(timeout * 1e6);
    const timespec wait{0, nanoseconds};
    pollfd master{m_pty->masterFd(), POLLIN, 0};
    ppoll(&master, 1, &wait, nullptr);
}

void SimServer::receive()
{
    std::uint8_t buffer[4096];
    while (m_pty->isOpen()) {
        // The bytes arrived after the line was last seen empty and before
        // the read returned: stamped with the latter, with the difference as
        // slack, a pause is never judged shorter than it was, even when the
        // simulator is kept from running around the read.
        const Millis beforeRead = now();
        const std::size_t count = m_pty->read(buffer, sizeof buffer);
        if (count == 0) {
            m_lineLastEmpty = beforeRead;
            return;
        }
        RxByte stamp;
        stamp.time = now();
        stamp.line = m_pty->lineSample();
        stamp.slack = stamp.time - m_lineLastEmpty;
        m_wire.receive(buffer, count, stamp);
    }
}

void SimServer::deliverDue()
{
    while (!m_finished) {
        const auto byte = m_wire.takeDueRx(now());
        if (!byte)
            break;
        m_parser.push(*byte);
    }
    if (!m_finished && !m_wire.rxPending())
        m_parser.idle(now());
}

void SimServer::transmitDue()
{
    if (!m_pty->isOpen())
        return;
    const std::vector<std::uint8_t> bytes = m_wire.dueTx(now());
    if (!bytes.empty())
        m_wire.consumeTx(m_pty->write(bytes.data(), bytes.size()));
}

Millis SimServer::send(Millis at, const std::vector<std::uint8_t>& bytes, Millis spacing, std::string_view what)
{
    const LineSample line = m_pty->lineSample();
    const Millis leaves = m_wire.scheduleTx(at, bytes, spacing, line);
    std::string text(what);
    if (leaves - at >= 0.1)
        text += "; the last byte leaves at " + formatMillis(leaves) + " ms";
    m_transcript.sent(at, line, text);
    return leaves;
}

void SimServer::onItem(const RxItem& item)
{
    if (!m_session)
        return;
    SessionStep step = m_session->onItem(item);
    if (step == SessionStep::Restart) {
        m_session->setEnding("abandoned: a new start began without \"<W\"");
        finishSession();
        startSession();
        step = m_session->onItem(item);
    }
    if (step == SessionStep::Ended) {
        writeImage();
        finishSession();
        if (m_options.once)
            m_finished = true;
        else
            startSession();
    } else if (step == SessionStep::Stall) {
        m_pty->suspendProgramOutput(true);
        m_stallEnds = now() + kStallLength;
    } else if (step == SessionStep::HangUp) {
        m_session->setEnding("hung up (--hangup-at-page)");
        finishSession();
        m_pty->close();
        m_finished = true;
    }
}

void SimServer::startSession()
{
    ModuleLine& line = *this;
    m_sessionOptions = std::make_unique<SimOptions>(m_options);
    ++m_sessionsStarted;
    if (m_options.randomFaultsSeed) {
        const auto& plans = faultPlans();
        const FaultPlan& plan = plans[std::uniform_int_distribution<std::size_t>(0, plans.size() - 1)(m_random)];
        plan.apply(*m_sessionOptions);
        m_transcript.note(now(), "session " + std::to_string(m_sessionsStarted) + " plan: " + plan.name +
                                     " (expect exit " + std::to_string(plan.exitCode) + ")");
    }
    m_session = std::make_unique<UpdateSession>(m_sessionsStarted, *m_sessionOptions, m_transcript, line);
}

void SimServer::endStallWhenDue()
{
    if (m_stallEnds && now() >= *m_stallEnds) {
        m_pty->suspendProgramOutput(false);
        m_transcript.note(now(), "the line takes bytes again");
        m_stallEnds.reset();
    }
}

void SimServer::finishSession()
{
    m_wire.dropTx();
    if (m_session->heardAnything()) {
        ++m_sessionsHeard;
        if (m_session->completed())
            ++m_sessionsCompleted;
        m_transcript.plain(m_session->summary());
    }
    m_session.reset();
}

// The image of a session that the program closed, complete or not, so that
// a partly flashed module can be inspected too.
void SimServer::writeImage()
{
    const PageStore& pages = m_session->pages();
    if (m_options.imageOutPath.empty() || pages.empty())
        return;
    const std::string problem = pages.writeImage(m_options.imageOutPath);
    if (problem.empty()) {
        m_transcript.note(now(), "image of " + countOf(pages.count(), "page") + " written to " + m_options.imageOutPath);
    } else {
        m_imageWriteFailed = true;
        m_transcript.note(now(), "cannot write the image to " + m_options.imageOutPath + ": " + problem);
    }
}

void SimServer::shutDown()
{
    if (m_session) {
        m_session->setEnding("unfinished when the simulator stopped");
        finishSession();
    }
    m_link.reset();
    m_pty.reset();
    m_transcript.plain("summary: " + countOf(m_sessionsHeard, "session") + ", " + std::to_string(m_sessionsCompleted) +
                      " completed, " + countOf(m_transcript.protocolErrors(), "protocol error"));
}

Millis SimServer::now() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
}

}  // namespace fwut::sim
