// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureSession.h"

#include "FramePath.h"
#include "SessionStatus.h"
#include "platform/foundation/MainThread.h"

namespace {

template <typename T> QVariant optionalToVariant(const std::optional<T> &value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

// Reads an optional selection from QML: undefined, null or anything not convertible means none.
template <typename T> std::optional<T> variantToOptional(const QVariant &value)
{
    if (!value.isValid() || value.isNull() || !value.canConvert<T>())
        return std::nullopt;
    return value.value<T>();
}

template <typename T, typename Signal>
bool assign(CaptureSession *session, T &field, T value, Signal changed)
{
    if (field == value)
        return false;
    field = std::move(value);
    Q_EMIT(session->*changed)();
    return true;
}

} // namespace

std::shared_ptr<CaptureSession> CaptureSession::create()
{
    return std::shared_ptr<CaptureSession>(new CaptureSession, [](CaptureSession *session) {
        if (MainThread::isCurrent())
            delete session;
        else
            MainThread::post([session] { delete session; });
    });
}

CaptureSession::CaptureSession()
    : m_id(QUuid::createUuid()), m_status(SessionStatus::idle()),
      m_statusPrefix(SessionStatus::defaultPrefix()),
      m_framePath(std::make_unique<FramePath>(FramePath::Callbacks{
          [this] { return transformSnapshot(); }, [this] { frameWasPublished(); },
          [this](QImage preview) {
              MainThread::post([weak = weak_from_this(), preview = std::move(preview)] {
                  if (const auto self = weak.lock())
                      self->setPreviewImage(preview);
              });
          }}))
{
    syncState();
}

CaptureSession::~CaptureSession() = default;

QString CaptureSession::shortTag() const
{
    return m_id.toString(QUuid::WithoutBraces).left(4).toUpper();
}

void CaptureSession::setHealthState(HealthState state)
{
    assign(this, m_healthState, state, &CaptureSession::healthStateChanged);
}

void CaptureSession::setSourceType(SourceType type)
{
    assign(this, m_sourceType, type, &CaptureSession::sourceTypeChanged);
}

void CaptureSession::setSelectedWindowID(std::optional<uint32_t> id)
{
    assign(this, m_selectedWindowID, id, &CaptureSession::selectedWindowIDChanged);
}

void CaptureSession::setSelectedDisplayID(std::optional<uint32_t> id)
{
    assign(this, m_selectedDisplayID, id, &CaptureSession::selectedDisplayIDChanged);
}

void CaptureSession::setSelectedApplicationPID(std::optional<int32_t> pid)
{
    assign(this, m_selectedApplicationPID, pid, &CaptureSession::selectedApplicationPIDChanged);
}

void CaptureSession::setSelectedSyphonUUID(std::optional<QString> uuid)
{
    assign(this, m_selectedSyphonUUID, std::move(uuid), &CaptureSession::selectedSyphonUUIDChanged);
}

void CaptureSession::setRotation(Rotation rotation)
{
    assign(this, m_rotation, rotation, &CaptureSession::rotationChanged);
    transformChanged();
}

void CaptureSession::setFlipHorizontal(bool flip)
{
    assign(this, m_flipHorizontal, flip, &CaptureSession::flipHorizontalChanged);
    transformChanged();
}

void CaptureSession::setCrop(int64_t &field, int64_t px, void (CaptureSession::*changed)())
{
    assign(this, field, px, changed);
    transformChanged();
}

void CaptureSession::setCropTopPx(int64_t px)
{
    setCrop(m_cropTopPx, px, &CaptureSession::cropTopPxChanged);
}

void CaptureSession::setCropLeftPx(int64_t px)
{
    setCrop(m_cropLeftPx, px, &CaptureSession::cropLeftPxChanged);
}

void CaptureSession::setCropRightPx(int64_t px)
{
    setCrop(m_cropRightPx, px, &CaptureSession::cropRightPxChanged);
}

void CaptureSession::setCropBottomPx(int64_t px)
{
    setCrop(m_cropBottomPx, px, &CaptureSession::cropBottomPxChanged);
}

void CaptureSession::setOutputResolution(CaptureManager::OutputResolution resolution)
{
    assign(this, m_outputResolution, resolution, &CaptureSession::outputResolutionChanged);
}

void CaptureSession::setCustomWidth(int64_t width)
{
    assign(this, m_customWidth, width, &CaptureSession::customWidthChanged);
}

void CaptureSession::setCustomHeight(int64_t height)
{
    assign(this, m_customHeight, height, &CaptureSession::customHeightChanged);
}

void CaptureSession::setIsRunning(bool running)
{
    assign(this, m_isRunning, running, &CaptureSession::isRunningChanged);
}

void CaptureSession::setStatus(const QString &status)
{
    assign(this, m_status, status, &CaptureSession::statusChanged);
}

void CaptureSession::setPreviewImage(const QImage &image)
{
    // Every preview is news, even one that compares equal to the last.
    m_previewImage = image;
    Q_EMIT previewImageChanged();
}

void CaptureSession::rotateOnce()
{
    setRotation(m_rotation == Rotation::r180 ? Rotation::r0 : Rotation::r180);
}

QString CaptureSession::transformLabel() const
{
    QString label = QStringLiteral("Rot ");
    label += m_rotation == Rotation::r180 ? QStringLiteral("180\u00b0") : QStringLiteral("0\u00b0");
    label += QStringLiteral(", ");
    label += m_flipHorizontal ? QStringLiteral("FlipH") : QStringLiteral("NoFlip");
    label += QStringLiteral(", ");

    const int64_t top = std::max<int64_t>(m_cropTopPx, 0);
    const int64_t left = std::max<int64_t>(m_cropLeftPx, 0);
    const int64_t right = std::max<int64_t>(m_cropRightPx, 0);
    const int64_t bottom = std::max<int64_t>(m_cropBottomPx, 0);
    if (top == 0 && left == 0 && right == 0 && bottom == 0) {
        label += QStringLiteral("NoCrop");
    } else {
        label +=
            QStringLiteral("Crop px T%1 L%2 R%3 B%4").arg(top).arg(left).arg(right).arg(bottom);
    }
    return label;
}

TransformSnapshot CaptureSession::transformSnapshot() const
{
    std::lock_guard guard(m_snapLock);
    return m_snap;
}

void CaptureSession::syncState()
{
    const TransformSnapshot snap{m_rotation == Rotation::r180,
                                 m_flipHorizontal,
                                 m_cropTopPx,
                                 m_cropLeftPx,
                                 m_cropRightPx,
                                 m_cropBottomPx};
    std::lock_guard guard(m_snapLock);
    m_snap = snap;
}

void CaptureSession::transformChanged()
{
    syncState();
    if (m_isRunning)
        setStatus(SessionStatus::running(m_statusPrefix, transformLabel()));
}

QVariant CaptureSession::selectedWindowIDValue() const
{
    return optionalToVariant(m_selectedWindowID);
}

void CaptureSession::setSelectedWindowIDValue(const QVariant &value)
{
    setSelectedWindowID(variantToOptional<uint32_t>(value));
}

QVariant CaptureSession::selectedDisplayIDValue() const
{
    return optionalToVariant(m_selectedDisplayID);
}

void CaptureSession::setSelectedDisplayIDValue(const QVariant &value)
{
    setSelectedDisplayID(variantToOptional<uint32_t>(value));
}

QVariant CaptureSession::selectedApplicationPIDValue() const
{
    return optionalToVariant(m_selectedApplicationPID);
}

void CaptureSession::setSelectedApplicationPIDValue(const QVariant &value)
{
    setSelectedApplicationPID(variantToOptional<int32_t>(value));
}

QVariant CaptureSession::selectedSyphonUUIDValue() const
{
    return optionalToVariant(m_selectedSyphonUUID);
}

void CaptureSession::setSelectedSyphonUUIDValue(const QVariant &value)
{
    setSelectedSyphonUUID(variantToOptional<QString>(value));
}
