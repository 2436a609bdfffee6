#include "simulator/simulator_session.h"

#include "simulator/civr_handler.h"
#include "simulator/civr_handler_thread.h"
#include "simulator/play_wave_thread.h"
#include "simulator/signal_sounds.h"
#include "simulator/simulator_host.h"

namespace vocara {

SimulatorSession::SimulatorSession(SimulatorHost &host, NodeActions &actions, Clock &clock,
                                   AudioDevice &audio, const std::filesystem::path &installFolder)
    : m_host(host)
    , m_worker(
          std::make_unique<CIVRHandlerThread>(host, actions, clock, m_run, audio, installFolder))
{
    m_host.log("CIVRSimulatorDlg::OnShowWindow>> Succeed:: CIVRHandlerThread created");
}

SimulatorSession::~SimulatorSession()
{
    close();
}

void SimulatorSession::start(const std::string &flowPath, const std::string &folder)
{
    m_run = true;
    m_worker->handler().waves().Accept(true);
    m_worker->post({WM_START_IVR, flowPath, folder});
    m_host.log("CIVRSimulatorDlg:OnButtonstart>> WM_START_IVR Posted to the thread class");
}

void SimulatorSession::stop()
{
    m_run = false;
    m_host.stopInputTimer();
    CPlayWaveThread &waves = m_worker->handler().waves();
    waves.Accept(false);
    waves.ClearQueue();
    m_worker->post({WM_END_IVR, "0", {}});
    m_host.log("CIVRSimulatorDlg::OnButtonstop>> WM_END_IVR Posted to the thread class");
}

KeypadOutcome SimulatorSession::pressKey(const std::string &key)
{
    m_host.stopInputTimer();
    CIVRHandler &handler = m_worker->handler();
    handler.sounds().play(SignalSounds::keyTone(key), true);
    CPlayWaveThread &waves = handler.waves();
    AbstractChannel &channel = m_worker->channel();
    const KeypadOutcome outcome = keypadOutcome({channel.recording, channel.allowedKeys(),
                                                 waves.LastRequestSynchronous(), waves.IsPlaying()},
                                                key);
    switch (outcome) {
    case KeypadOutcome::StopRecording:
        m_run = false; // the recording ends; the interpreter sets the flag again
        break;
    case KeypadOutcome::CutAndPost:
        waves.StopCurrent();
        [[fallthrough]];
    case KeypadOutcome::Post:
        m_worker->post({WM_IVR_DTMF_EVENT, {}, key});
        m_host.log("CIVRSimulatorDlg::OnButtonX>> WM_IVR_DTMF_EVENT Posted to the thread class");
        break;
    case KeypadOutcome::Ignore:
        break;
    }
    return outcome;
}

void SimulatorSession::timerExpired()
{
    m_host.stopInputTimer();
    m_worker->post({WM_IVR_TIMER_EVENT, {}, {}});
    ++m_timerEvents;
    m_host.log(
        "CIVRSimulatorDlg::OnTimer>> WM_IVR_TIMER_EVENT Posted to the Thread after timeout.");
}

void SimulatorSession::close()
{
    if (!m_worker)
        return;
    m_run = false;
    m_host.stopInputTimer();
    m_worker->handler().waves().Accept(false);
    m_worker->close();
    m_host.log("CIVRSimulatorDlg::OnClose>> Succeed:: Destroying all the objects");
    m_worker.reset();
}

} // namespace vocara
