#ifndef MAFWERROR_H
#define MAFWERROR_H

#include "mafw_export.h"

#include <QMetaType>
#include <QString>

/// An error of the media framework: a code and a readable message.
///
/// A value type, registered as a metatype; renderers report it with MafwRenderer::error() and
/// the playback engine passes it on to applications.
class MAFW_EXPORT MafwError
{
public:
    /// What went wrong. Renderers raise 301 to 311 and TransientError (a failing item skipped,
    /// a failed seek); the playback engine raises the other codes from 319 on.
    enum Code : int {
        NoError = 0, ///< no error

        // Raised by renderers.
        ResourceNotFound = 301,    ///< the URI names nothing that exists
        ResourceNotReadable = 302, ///< it exists but cannot be opened or read
        NotAMediaFile = 303,       ///< its type could not be recognised
        MissingDecoder = 304,      ///< recognised, but no decoder is installed for it
        CorruptStream = 305,       ///< the data cannot be decoded
        ServerUnreachable = 306,   ///< the server refused the connection or could not be reached
        ConnectionLost = 307,      ///< a network stream broke off while playing
        StreamEnded = 308,         ///< a live stream of unknown length ended by itself
        PlaylistUnreadable = 309,  ///< a playlist URL could not be read or holds no entry
        NoPlayableEntry = 310,     ///< no entry of a playlist URL could be played
        RendererFailure = 311,     ///< any other failure inside the renderer

        // Raised by the playback engine.
        PlaylistNotInUse = 319,     ///< a playlist could not be put in use
        CannotPlayDuringCall = 322, ///< playback refused while a phone call is under way
        /// A passing problem that does not end playback. A playlist item that could not be
        /// played and was passed over is reported so, its message starting with "skipped: ".
        TransientError = 326,
        CannotResumeDuringCall = 329, ///< resume refused while a phone call is under way
    };

    /// No error: NoError and an empty message.
    MafwError() = default;
    /// An error of \a code with the readable \a message.
    MafwError(Code code, const QString& message);

    /// The error's code.
    Code code() const { return m_code; }
    /// Sets the error's code.
    void setCode(Code code) { m_code = code; }
    /// A readable description, for logs and users; not meant to be parsed.
    QString message() const { return m_message; }
    /// Sets the readable description.
    void setMessage(const QString& message) { m_message = message; }

    /// Equal when both code and message are equal.
    bool operator==(const MafwError& other) const
    {
        return m_code == other.m_code && m_message == other.m_message;
    }
    /// The negation of operator==().
    bool operator!=(const MafwError& other) const { return !(*this == other); }

private:
    Code m_code = NoError;
    QString m_message;
};

Q_DECLARE_METATYPE(MafwError)

#endif
