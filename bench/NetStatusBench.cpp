// Prints what one status-refresh tick costs beside the two system calls it makes (the chosen
// interface's counters and the connection state), measured in the same run, and what a tick costs
// while the window is hidden. A figure to read, not a test:
//   netstatus_bench [rounds]
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/SpindrelDlg.h"

namespace {

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

struct Series {
    std::vector<double> samples;
    double Median()
    {
        std::vector<double> sorted = samples;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }
    double Min() const { return samples.empty() ? 0.0 : *std::min_element(samples.begin(), samples.end()); }
    double Mean() const
    {
        double sum = 0;
        for (double s : samples)
            sum += s;
        return samples.empty() ? 0.0 : sum / static_cast<double>(samples.size());
    }
};

class BenchDlg : public CSpindrelDlg {
public:
    int rounds = 200;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        statusPanel.Select(0);
        FillInterfaceList();
        Measure();
        EndDialog(0);
        DestroyWindow(); // before it is ever shown
        return TRUE;
    }

private:
    void Measure()
    {
        LARGE_INTEGER frequency, t0, t1;
        ::QueryPerformanceFrequency(&frequency);

        // The bare calls: the counters of the interface the refresh reads.
        const auto& listed = statusPanel.Interfaces();
        MIB_IF_ROW2 row{};
        const DWORD index = listed.empty() ? 1 : listed.front().index;

        for (int i = 0; i < 3; ++i)
            TickStatus(true); // warm up

        Series tick, hiddenTick, ifTableCall, connectedCall, exchangeIn, exchangeOut;
        for (int i = 0; i < rounds; ++i) {
            ::QueryPerformanceCounter(&t0);
            TickStatus(true);
            ::QueryPerformanceCounter(&t1);
            tick.samples.push_back(Microseconds(t0, t1, frequency));

            ::QueryPerformanceCounter(&t0);
            TickStatus(false);
            ::QueryPerformanceCounter(&t1);
            hiddenTick.samples.push_back(Microseconds(t0, t1, frequency));

            row.InterfaceIndex = index;
            ::QueryPerformanceCounter(&t0);
            ::GetIfEntry2(&row);
            ::QueryPerformanceCounter(&t1);
            ifTableCall.samples.push_back(Microseconds(t0, t1, frequency));

            ::QueryPerformanceCounter(&t0);
            UpdateData(TRUE);
            ::QueryPerformanceCounter(&t1);
            exchangeIn.samples.push_back(Microseconds(t0, t1, frequency));

            ::QueryPerformanceCounter(&t0);
            UpdateData(FALSE);
            ::QueryPerformanceCounter(&t1);
            exchangeOut.samples.push_back(Microseconds(t0, t1, frequency));

            DWORD flags = 0;
            ::QueryPerformanceCounter(&t0);
            ::InternetGetConnectedState(&flags, 0);
            ::QueryPerformanceCounter(&t1);
            connectedCall.samples.push_back(Microseconds(t0, t1, frequency));
        }

        const double bareMin = ifTableCall.Min() + connectedCall.Min();
        const double bareMedian = ifTableCall.Median() + connectedCall.Median();
        const double bareMean = ifTableCall.Mean() + connectedCall.Mean();
        std::printf("rounds                      %d (interfaces listed: %d)\n", rounds, interfaceCombo.GetCount());
        auto ratio = [](double part, double whole) { return whole > 0 ? part / whole : 0.0; };
        std::printf("                               min us  median us    mean us\n");
        std::printf("GetIfEntry2                 %9.1f  %9.1f  %9.1f\n", ifTableCall.Min(), ifTableCall.Median(), ifTableCall.Mean());
        std::printf("InternetGetConnectedState   %9.1f  %9.1f  %9.1f\n", connectedCall.Min(), connectedCall.Median(), connectedCall.Mean());
        std::printf("sum of the two calls        %9.1f  %9.1f  %9.1f\n", bareMin, bareMedian, bareMean);
        std::printf("one refresh tick            %9.1f  %9.1f  %9.1f\n", tick.Min(), tick.Median(), tick.Mean());
        std::printf("exchange in (alone)         %9.1f  %9.1f  %9.1f   (window to fields)\n", exchangeIn.Min(), exchangeIn.Median(), exchangeIn.Mean());
        std::printf("exchange out (alone)        %9.1f  %9.1f  %9.1f   (fields to window, nothing changed)\n", exchangeOut.Min(), exchangeOut.Median(), exchangeOut.Mean());
        std::printf("one hidden tick             %9.1f  %9.1f  %9.1f\n", hiddenTick.Min(), hiddenTick.Median(), hiddenTick.Mean());
        std::printf("tick / sum                  %9.3f  %9.3f  %9.3f   (at most 1.1 wanted)\n", ratio(tick.Min(), bareMin),
                    ratio(tick.Median(), bareMedian), ratio(tick.Mean(), bareMean));
        for (int i = 0; i < interfaceCombo.GetCount(); ++i)
            std::printf("interface %d: \"%s\"\n", i, interfaceCombo.GetLBText(i).c_str());
        const netstatus::PanelTexts& texts = statusPanel.Texts();
        std::printf("last texts: sent \"%s\" received \"%s\" type \"%s\" status \"%s\" time \"%s\"\n",
                    texts.bytesSent.c_str(), texts.bytesReceived.c_str(), texts.connectionType.c_str(),
                    texts.connectionStatus.c_str(), texts.connectedTime.c_str());
    }
};

} // namespace

int main(int argc, char** argv)
{
    BenchDlg dialog;
    if (argc > 1)
        dialog.rounds = std::max(1, std::atoi(argv[1]));
    dialog.DoModal();
    return 0;
}
