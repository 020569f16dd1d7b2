// The device's life: scenes, loss and Reset, render targets, Clear, references, failures, Present.
#include "device_fixture.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/d3d9/recorder.h"
#include "platform/win32/surface.h"

namespace {

D3DPRESENT_PARAMETERS WindowedParameters(HWND window) {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_COPY;
  p.hDeviceWindow = window;
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D16;
  return p;
}

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(DeviceTest, ResetIsRefusedWhileARenderTargetTextureLivesAndAcceptedOnceItIsReleased) {
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target,
                                   nullptr),
            S_OK);
  Holder<IDirect3DTexture9> managed;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, managed.Out(), nullptr), S_OK);
  D3DPRESENT_PARAMETERS p = WindowedParameters(window_);
  EXPECT_EQ(device_->Reset(&p), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  // A surface of the texture keeps it alive as well.
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), S_OK);
  target->Release();
  EXPECT_EQ(device_->Reset(&p), D3DERR_INVALIDCALL);
  level->Release();
  EXPECT_EQ(device_->Reset(&p), S_OK) << "managed resources survive a Reset";
  EXPECT_EQ(device_->TestCooperativeLevel(), S_OK);
  // The windowed back buffer takes the client area's size again.
  Holder<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Width, width_);
  EXPECT_EQ(desc.Height, height_);
}

TEST_F(DeviceTest, ResetRestoresTheDefaultStatesAndTheFullViewport) {
  const D3DVIEWPORT9 small{2, 2, 4, 4, 0.f, 1.f};
  device_->SetViewport(&small);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  D3DPRESENT_PARAMETERS p = WindowedParameters(window_);
  ASSERT_EQ(device_->Reset(&p), S_OK);
  DWORD value = 0;
  device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
  EXPECT_EQ(value, static_cast<DWORD>(FALSE));
  device_->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(value, static_cast<DWORD>(TRUE));
  device_->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
  device_->GetTextureStageState(1, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_DISABLE));
  D3DVIEWPORT9 viewport{};
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, width_);
  EXPECT_EQ(viewport.Height, height_);
}

TEST_F(DeviceTest, AnInjectedLossRunsFromLostThroughNotResetBackToWorking) {
  machine::Machine description = machine::DefaultMachine();
  description.faults.deviceLostFromFrame = 2;
  description.faults.deviceNotResetFromFrame = 4;
  Open(16, 16, description);
  std::vector<HRESULT> seen;
  for (int frame = 0; frame < 6; ++frame) {
    const HRESULT level = device_->TestCooperativeLevel();
    seen.push_back(level);
    if (level == S_OK) device_->Present(nullptr, nullptr, nullptr, nullptr);
  }
  // The second Present is frame 2 and finds the device lost; each poll while lost counts as a
  // frame: the first poll is frame 3, the second frame 4.
  const std::vector<HRESULT> expected{S_OK, S_OK, D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET, D3DERR_DEVICENOTRESET,
                                      D3DERR_DEVICENOTRESET};
  EXPECT_EQ(seen, expected);
  D3DPRESENT_PARAMETERS p = WindowedParameters(window_);
  ASSERT_EQ(device_->Reset(&p), S_OK);
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(device_->TestCooperativeLevel(), S_OK) << "the fault has run its course";
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  }
}

TEST_F(DeviceTest, ScenesMustBeBeganBeforeTheyEndAndDrawingHappensOnlyInside) {
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->EndScene(), S_OK);
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);

  Holder<IDirect3DVertexBuffer9> buffer;
  ASSERT_EQ(device_->CreateVertexBuffer(3 * sizeof(ScreenColorVertex), 0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE,
                                        D3DPOOL_MANAGED, buffer.Out(), nullptr),
            S_OK);
  device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  device_->SetStreamSource(0, buffer.Get(), 0, sizeof(ScreenColorVertex));
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), S_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL) << "reads past the buffer";
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL) << "reads past the buffer";
  device_->EndScene();
  device_->SetStreamSource(0, nullptr, 0, 0);
}

TEST_F(DeviceTest, AnIndexPastTheVertexBufferFailsTheDraw) {
  const std::vector<ScreenColorVertex> vertices(3, ScreenColorVertex{0, 0, 0, 1, 0xffffffff});
  EXPECT_EQ(DrawIndexed(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 1, vertices, {0, 1, 3}),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(DrawIndexed(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 1, vertices, {0, 1, 2}), S_OK);
}

TEST_F(DeviceTest, ClearingDepthWithoutADepthSurfaceFailsAndClearsNothing) {
  Clear(0xff00ff00);
  Holder<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->GetDepthStencilSurface(depth.Out()), S_OK);
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), S_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xffff0000, 1.f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(Pixel(0, 0) & 0xffffff, 0x00ff00u);
  Holder<IDirect3DSurface9> none;
  EXPECT_EQ(device_->GetDepthStencilSurface(none.Out()), D3DERR_NOTFOUND);
  EXPECT_FALSE(none);
  ASSERT_EQ(device_->SetDepthStencilSurface(depth.Get()), S_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xffff0000, 1.f, 0), S_OK);
  EXPECT_EQ(Pixel(0, 0) & 0xffffff, 0xff0000u);
}

// Depth clears and the draws that test depth afterwards, whatever else comes between: a quad at depth
// 0.5 tested LESS is hidden wherever the depth left by the steps is 0.25, and shows where it is 1.
struct DepthClearCase {
  const char* name;
  std::function<void(IDirect3DDevice9*)> steps;
  bool leftShows;
  bool rightShows;
};

TEST_F(DeviceTest, DepthClearsHoldForTheDrawsThatTestDepth) {
  const D3DVIEWPORT9 whole{0, 0, 32, 32, 0.f, 1.f};
  const D3DVIEWPORT9 leftHalf{0, 0, 16, 32, 0.f, 1.f};
  const D3DRECT left{0, 0, 16, 32};
  const D3DRECT beyond{-5, -5, 100, 100};
  auto quadAtHalf = [](D3DCOLOR color) {
    return std::vector<ScreenColorVertex>{
        {0, 0, 0.5f, 1, color}, {32, 0, 0.5f, 1, color}, {0, 32, 0.5f, 1, color}, {32, 32, 0.5f, 1, color}};
  };
  auto drawBlue = [&](IDirect3DDevice9*) {
    EXPECT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2, quadAtHalf(0xff0000ff)), S_OK);
  };
  const DepthClearCase cases[] = {
      {"WholeClear", [](IDirect3DDevice9* d) { d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0); }, false, false},
      {"LaterWholeClearReplacesAnEarlierOne",
       [](IDirect3DDevice9* d) {
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
         d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.f, 0);
       },
       true, true},
      {"PartClearOverAWholeOne",
       [&](IDirect3DDevice9* d) {
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0);
         d->Clear(1, &left, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
       },
       false, true},
      {"WholeClearOverAPartOne",
       [&](IDirect3DDevice9* d) {
         d->Clear(1, &left, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0);
       },
       true, true},
      {"ViewportBoundsTheClear",
       [&](IDirect3DDevice9* d) {
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0);
         d->SetViewport(&leftHalf);
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
         d->SetViewport(&whole);
       },
       false, true},
      {"RectangleBeyondTheSurface",
       [&](IDirect3DDevice9* d) { d->Clear(1, &beyond, D3DCLEAR_ZBUFFER, 0, 0.25f, 0); }, false, false},
      {"ClearOutlastsADrawWithoutDepth",
       [&](IDirect3DDevice9* d) {
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
         d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
         drawBlue(d);
         d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
       },
       false, false},
      {"ClearOutlastsTheSurfaceBeingSetAside",
       [](IDirect3DDevice9* d) {
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
         IDirect3DSurface9* depth = nullptr;
         d->GetDepthStencilSurface(&depth);
         d->SetDepthStencilSurface(nullptr);
         d->SetDepthStencilSurface(depth);
         depth->Release();
       },
       false, false},
      {"DepthWrittenByADrawAfterTheClear",
       [&](IDirect3DDevice9* d) {
         d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0);
         d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
         d->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
         drawBlue(d);
         d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
       },
       false, false},
  };
  for (const DepthClearCase& c : cases) {
    SCOPED_TRACE(c.name);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    c.steps(device_);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2, quadAtHalf(0xffff0000)), S_OK);
    EXPECT_EQ(Pixel(4, 16) & 0xffffff, c.leftShows ? 0xff0000u : 0u);
    EXPECT_EQ(Pixel(28, 16) & 0xffffff, c.rightShows ? 0xff0000u : 0u);
  }
}

TEST_F(DeviceTest, ARenderTargetTextureTakesDrawingAndTheViewportFollowsIt) {
  Holder<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(8, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, texture.Out(),
                                   nullptr),
            S_OK);
  Holder<IDirect3DSurface9> level;
  ASSERT_EQ(texture->GetSurfaceLevel(0, level.Out()), S_OK);
  Holder<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetRenderTarget(0, back.Out()), S_OK);
  EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetRenderTarget(0, level.Get()), S_OK);
  D3DVIEWPORT9 viewport{};
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 8u);
  EXPECT_EQ(viewport.Height, 4u);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010, 1.f, 0), S_OK);
  for (uint32_t texel : Read(level.Get())) ASSERT_EQ(texel, 0x80402010u);

  // Drawn into, then sampled onto the back buffer in the same frame.
  ASSERT_EQ(device_->SetRenderTarget(0, back.Get()), S_OK);
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, width_);
  device_->SetTexture(0, texture.Get());
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2, TargetQuad(0xffffffff)), S_OK);
  EXPECT_EQ(Pixel(20, 20) & 0xffffff, 0x402010u);
  device_->SetTexture(0, nullptr);
}

TEST_F(DeviceTest, ReferenceCountsAreExact) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
  EXPECT_EQ(texture->GetLevelCount(), 3u) << "a full chain down to 1 x 1";
  EXPECT_EQ(References(texture), 1u);
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), S_OK);
  EXPECT_EQ(References(texture), 2u) << "a level counts for its texture";
  device_->SetTexture(0, texture);
  EXPECT_EQ(References(texture), 3u);
  IDirect3DBaseTexture9* bound = nullptr;
  device_->GetTexture(0, &bound);
  EXPECT_EQ(bound, texture);
  EXPECT_EQ(References(texture), 4u);
  bound->Release();
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(level->Release(), 1u);
  EXPECT_EQ(texture->Release(), 0u);

  Holder<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
  const ULONG held = References(back.Get());
  {
    Holder<IDirect3DSurface9> again;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, again.Out()), S_OK);
    EXPECT_EQ(References(back.Get()), held + 1);
  }
  EXPECT_EQ(References(back.Get()), held);
}

TEST_F(DeviceTest, InjectedFailuresReachTheCaller) {
  machine::Machine description = machine::DefaultMachine();
  Open(16, 16, description);
  Holder<IDirect3DVertexBuffer9> buffer;
  ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, buffer.Out(), nullptr), S_OK);
  machine::Current().faults.failLocks = true;
  void* data = reinterpret_cast<void*>(1);
  EXPECT_NE(buffer->Lock(0, 0, &data, 0), S_OK);
  EXPECT_EQ(data, nullptr);
  machine::Current().faults.failLocks = false;
  machine::Current().faults.failResourceCreation = true;
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_NE(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
  EXPECT_EQ(texture, nullptr);
  IDirect3DIndexBuffer9* indices = reinterpret_cast<IDirect3DIndexBuffer9*>(1);
  EXPECT_NE(device_->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), S_OK);
  EXPECT_EQ(indices, nullptr);
  machine::Current().faults.failResourceCreation = false;
  machine::Current().faults.beginSceneFails = true;
  EXPECT_NE(device_->BeginScene(), S_OK);
  machine::Current().faults.beginSceneFails = false;
}

TEST_F(DeviceTest, LocksHandOutThePitchAndReadOnlyLocksKeepTheContents) {
  Holder<IDirect3DTexture9> texture;
  ASSERT_EQ(device_->CreateTexture(5, 3, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  EXPECT_GE(locked.Pitch, 10);
  static_cast<uint8_t*>(locked.pBits)[locked.Pitch * 2] = 0x5a;
  EXPECT_NE(texture->LockRect(0, &locked, nullptr, 0), S_OK) << "already locked";
  texture->UnlockRect(0);
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
  EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[locked.Pitch * 2], 0x5a);
  texture->UnlockRect(0);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(desc.Width, 5u);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
}

TEST_F(DeviceTest, PresentScalesTheBackBufferToTheWindowsClientArea) {
  // A 4 x 2 back buffer presented into a 8 x 4 window: every pixel becomes 2 x 2.
  Close();
  machine::Install(machine::DefaultMachine());
  Open(8, 4);
  D3DPRESENT_PARAMETERS p = WindowedParameters(window_);
  p.BackBufferWidth = 4;
  p.BackBufferHeight = 2;
  ASSERT_EQ(device_->Reset(&p), S_OK);
  width_ = 4;
  height_ = 2;
  const D3DRECT left{0, 0, 2, 2};
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1.f, 0), S_OK);
  ASSERT_EQ(device_->Clear(1, &left, D3DCLEAR_TARGET, 0xffff0000, 1.f, 0), S_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
  const win32::Surface* surface = win32::WindowSurface(window_);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->width, 8);
  ASSERT_EQ(surface->height, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(surface->pixels[static_cast<size_t>(y) * 8 + x] & 0xffffff, x < 4 ? 0xff0000u : 0x0000ffu)
          << x << ", " << y;
    }
  }
}

// Stretched either way, large enough for the rows to be shared among threads and with widths that
// end in pixels that do not fill a register: each window pixel shows the back buffer's pixel under
// its place, opaque, on every instruction set.
TEST_F(DeviceTest, PresentStretchesByNearestPixelOnEveryInstructionSet) {
  struct Case {
    UINT backWidth, backHeight, windowWidth, windowHeight;
  };
  for (const Case c : {Case{128, 102, 397, 211}, Case{397, 211, 128, 102}, Case{131, 300, 262, 150}}) {
    SCOPED_TRACE(testing::Message() << c.backWidth << "x" << c.backHeight << " in " << c.windowWidth << "x"
                                    << c.windowHeight);
    Close();
    machine::Install(machine::DefaultMachine());
    Open(c.windowWidth, c.windowHeight);
    D3DPRESENT_PARAMETERS p = WindowedParameters(window_);
    p.BackBufferWidth = c.backWidth;
    p.BackBufferHeight = c.backHeight;
    ASSERT_EQ(device_->Reset(&p), S_OK);
    Holder<IDirect3DSurface9> back;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(back->LockRect(&locked, nullptr, 0), S_OK);
    // Every pixel its own colour, with an alpha that the window must not show.
    for (UINT y = 0; y < c.backHeight; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
      for (UINT x = 0; x < c.backWidth; ++x) row[x] = (x * 0x9e3779b1u) ^ (y << 12) ^ (y * 0x85ebca6bu);
    }
    back->UnlockRect();
    for (const std::string& target : d3d9::WideTargets()) {
      SCOPED_TRACE(target);
      d3d9::UseWideTarget(target);
      ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
      const win32::Surface* surface = win32::WindowSurface(window_);
      ASSERT_NE(surface, nullptr);
      int wrong = 0;
      for (UINT y = 0; y < c.windowHeight; ++y) {
        const UINT sy = y * c.backHeight / c.windowHeight;
        for (UINT x = 0; x < c.windowWidth; ++x) {
          const UINT sx = x * c.backWidth / c.windowWidth;
          const uint32_t expected = ((sx * 0x9e3779b1u) ^ (sy << 12) ^ (sy * 0x85ebca6bu)) | 0xff000000u;
          if (surface->pixels[size_t{y} * c.windowWidth + x] != expected && ++wrong <= 3) {
            ADD_FAILURE() << x << ", " << y << ": " << std::hex << surface->pixels[size_t{y} * c.windowWidth + x];
          }
        }
      }
      EXPECT_EQ(wrong, 0);
    }
  }
  d3d9::UseWideTarget("");
}

TEST_F(DeviceTest, LargeClearsKeepToTheirRectanglesAndTheViewportAndPresentCopiesEveryPixel) {
  // Large enough for the rows to be shared among threads, and an odd width, so that every row ends
  // in pixels that do not fill a register: on every instruction set.
  Close();
  machine::Install(machine::DefaultMachine());
  Open(517, 301);
  const D3DVIEWPORT9 whole{0, 0, 517, 301, 0.f, 1.f};
  for (const std::string& target : d3d9::WideTargets()) {
    SCOPED_TRACE(target);
    d3d9::UseWideTarget(target);
    ASSERT_EQ(device_->SetViewport(&whole), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x80ff0000, 0.5f, 0), S_OK);
    const D3DRECT rects[2] = {{-40, 250, 200, 900}, {300, 10, 310, 20}};
    ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, 0xff0000ff, 1.f, 0), S_OK);
    const D3DVIEWPORT9 viewport{100, 50, 400, 200, 0.f, 1.f};
    ASSERT_EQ(device_->SetViewport(&viewport), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1.f, 0), S_OK);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    int wrong = 0;
    for (int y = 0; y < 301; ++y) {
      for (int x = 0; x < 517; ++x) {
        uint32_t expected = 0xff0000;
        if ((x < 200 && y >= 250) || (x >= 300 && x < 310 && y >= 10 && y < 20)) expected = 0x0000ff;
        if (x >= 100 && x < 500 && y >= 50 && y < 250) expected = 0x00ff00;
        if ((pixels[static_cast<size_t>(y) * 517 + x] & 0xffffff) != expected && ++wrong <= 3) {
          ADD_FAILURE() << x << ", " << y << ": " << std::hex << pixels[static_cast<size_t>(y) * 517 + x];
        }
      }
    }
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    const win32::Surface* surface = win32::WindowSurface(window_);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->pixels.size(), pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (surface->pixels[i] != (pixels[i] | 0xff000000u)) {
        ADD_FAILURE() << "presented pixel " << i << ": " << std::hex << surface->pixels[i];
        break;
      }
    }
  }
  d3d9::UseWideTarget("");
}

TEST_F(DeviceTest, TheRecorderLogsEachCallWithTheStateItWasMadeUnder) {
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_);
  ASSERT_NE(recorder, nullptr);
  recorder->enabled = true;
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2, TargetQuad(0xffffffff)), S_OK);
  recorder->enabled = false;
  const auto& calls = recorder->calls;
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().name, "SetRenderState");
  EXPECT_EQ(calls.front().args, (std::vector<uint64_t>{D3DRS_ALPHABLENDENABLE, TRUE}));
  EXPECT_EQ(calls.front().state.Render(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE)) << "state before the call";
  const auto draw = std::find_if(calls.begin(), calls.end(), [](const d3d9::RecordedCall& c) {
    return c.name == "DrawPrimitive";
  });
  ASSERT_NE(draw, calls.end());
  EXPECT_EQ(draw->args, (std::vector<uint64_t>{D3DPT_TRIANGLESTRIP, 0, 2}));
  EXPECT_EQ(draw->state.Render(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(draw->state.fvf, static_cast<DWORD>(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1));
  const size_t logged = calls.size();
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  EXPECT_EQ(recorder->calls.size(), logged) << "nothing is logged once switched off";
}

}  // namespace
